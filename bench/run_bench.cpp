// SPDX-License-Identifier: GPL-3.0-or-later
// RunAndWait of a tool that exits at once, with its console window, against a bare
// fork/exec/wait of the same program in the same run.
#include "ui/form1.h"

#include "ratio.h"
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

class SilentPrompter : public kestrix::Prompter {
public:
    Answer message(const QString&, const QString&, Buttons, const QString&) override {
        return Answer::Ok;
    }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
};

void BM_BareSpawn(benchmark::State& state) {
    char* argv[] = {const_cast<char*>("true"), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "true", nullptr, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child)
            state.SkipWithError("spawn failed");
    }
}
BENCHMARK(BM_BareSpawn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RunAndWait(benchmark::State& state) {
    QTemporaryDir folder;
    kestrix::Platform platform;
    platform.programFolder = platform.workFolder = platform.startFolder = folder.path();
    platform.volumes = {{QStringLiteral("/"), {}, QStringLiteral("/")}};
    SilentPrompter prompter;
    kestrix::Form1 form(platform, prompter);
    form.show();
    for (auto _ : state)
        if (!form.RunAndWait(QStringLiteral("true")).ok())
            state.SkipWithError("the run failed");
}
BENCHMARK(BM_RunAndWait)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    OffscreenUnlessAsked();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RunAndPrintRatios([](const RatioReporter::Times& t) {
        const double run = t.at("BM_RunAndWait/real_time");
        std::printf("RunAndWait with its console window: %.2f ms, %.2fx a bare spawn "
                    "(goal: at most 2x and under 50 ms)\n",
                    run, run / t.at("BM_BareSpawn/real_time"));
    });
    return 0;
}
