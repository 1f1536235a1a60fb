// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <string>

// Times ours and theirs in turn each iteration, so both see the same cache and disk. The
// benchmark's time is ours; the counters give both means in ms and their ratio.
template <typename Ours, typename Theirs>
void TimePaired(benchmark::State& state, const std::string& theirName, Ours ours, Theirs theirs) {
    double oursTotal = 0, theirsTotal = 0;
    for (auto _ : state) {
        const double one = ours();
        theirsTotal += theirs();
        oursTotal += one;
        state.SetIterationTime(one);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = oursTotal / runs * 1e3;
    state.counters[theirName + "_ms"] = theirsTotal / runs * 1e3;
    state.counters["ratio"] = oursTotal / theirsTotal;
}

// The benchmarks the command line chose, after prepare() has laid out what they run on; 1 for an
// argument Google Benchmark does not know.
inline int RunChosen(int argc, char** argv, const std::function<void()>& prepare) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
