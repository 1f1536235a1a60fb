// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
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

// Windows in a benchmark go to Qt's offscreen platform unless a display is asked for.
inline void OffscreenUnlessAsked() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the benchmarks the command line chose, then prints the program's ratios.
inline void RunAndPrintRatios(std::function<void(const RatioReporter::Times&)> print) {
    RatioReporter reporter(std::move(print));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
