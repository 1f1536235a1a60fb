// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <string>

// The console report, then the figures a program prints from the runs' real times in ms, named
// as Google Benchmark names them ("BM_Cp/real_time"), so each is a ratio within one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using Times = std::map<std::string, double>;
    explicit RatioReporter(std::function<void(const Times&)> print) : print_(std::move(print)) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        print_(times_);
    }

private:
    std::function<void(const Times&)> print_;
    Times times_;
};
