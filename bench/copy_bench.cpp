// SPDX-License-Identifier: GPL-3.0-or-later
// The copy of one 11 Mbit part to a folder, synced as every copy of ours is, against cp of the
// same file in the same run.
#include "core/files.h"

#include "ratio.h"
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

QTemporaryDir* folder = nullptr;
QString part, target;

void makePart() {
    folder = new QTemporaryDir;
    part = folder->filePath(QStringLiteral("GAME.1"));
    target = folder->filePath(QStringLiteral("copy/GAME.1"));
    QByteArray bytes(512 + 11 * 131072, '\0');
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !QDir().mkpath(folder->filePath(QStringLiteral("copy"))))
        std::abort();
}

// Each copy starts with no target, as a part's first copy onto a disk does.
template <typename Copy> void Run(benchmark::State& state, Copy copy) {
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        copy();
    }
}

void BM_Cp(benchmark::State& state) {
    const QByteArray from = QFile::encodeName(part), to = QFile::encodeName(target);
    char* argv[] = {const_cast<char*>("cp"), const_cast<char*>(from.constData()),
                    const_cast<char*>(to.constData()), nullptr};
    Run(state, [&] {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "cp", nullptr, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child || status != 0)
            state.SkipWithError("cp failed");
    });
}
BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyFile(benchmark::State& state) {
    Run(state, [&] {
        if (!kestrix::CopyFile(part, target))
            state.SkipWithError("CopyFile failed");
    });
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    makePart();
    RunAndPrintRatios([](const RatioReporter::Times& t) {
        std::printf("CopyFile, synced: %.2fx cp (goal: at most 1.3x)\n",
                    t.at("BM_CopyFile/real_time") / t.at("BM_Cp/real_time"));
    });
    delete folder;
    return 0;
}
