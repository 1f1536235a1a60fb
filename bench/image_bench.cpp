// SPDX-License-Identifier: GPL-3.0-or-later
// One disk image holding an 11 Mbit part, written and synced, against mformat and mcopy of the
// same part followed by a sync of their image, in the same run.
#include "core/fat12.h"

#include "paired.h"
#include "ratio.h"
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

QTemporaryDir* folder = nullptr;
QString part, ours, theirs;
QByteArray partBytes;

void makePart() {
    folder = new QTemporaryDir;
    part = folder->filePath(QStringLiteral("GAME.1"));
    ours = folder->filePath(QStringLiteral("DSKA0000.IMG"));
    theirs = folder->filePath(QStringLiteral("DSKA0001.IMG"));
    partBytes = QByteArray(512 + 11 * 131072, '\0');
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(partBytes.data()),
                                  partBytes.size() / 4);
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly) || file.write(partBytes) != partBytes.size())
        std::abort();
}

bool Sync(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced;
}

bool Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

// Reads the part, builds the image and writes it synced, as each image of a set is written.
double WriteOurs() {
    QFile::remove(ours);
    QElapsedTimer timer;
    timer.start();
    QFile in(part);
    if (!in.open(QIODevice::ReadOnly))
        std::abort();
    const auto image =
        kestrix::MakeFloppyImage(QStringLiteral("GAME"), {QStringLiteral("GAME.1"), in.readAll(),
                                                          QDateTime::currentDateTime()});
    QFile out(ours);
    if (!image || !out.open(QIODevice::WriteOnly) || out.write(*image) != image->size() ||
        !out.flush() || ::fsync(out.handle()) != 0)
        std::abort();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double WriteTheirs() {
    QFile::remove(theirs);
    QElapsedTimer timer;
    timer.start();
    if (!Run(QStringLiteral("mformat"),
             {QStringLiteral("-C"), QStringLiteral("-f"), QStringLiteral("1440"),
              QStringLiteral("-i"), theirs, QStringLiteral("::")}) ||
        !Run(QStringLiteral("mcopy"),
             {QStringLiteral("-i"), theirs, part, QStringLiteral("::GAME.1")}) ||
        !Sync(theirs))
        std::abort();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void BM_ImageAgainstMtools(benchmark::State& state) {
    TimePaired(state, "mtools", WriteOurs, WriteTheirs);
}
BENCHMARK(BM_ImageAgainstMtools)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    makePart();
    double ratio = 0;
    struct Reporter : benchmark::ConsoleReporter {
        double* ratio;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& run : runs)
                if (const auto it = run.counters.find("ratio"); it != run.counters.end())
                    *ratio = it->second;
        }
    } reporter;
    reporter.ratio = &ratio;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("One disk image, synced: %.2fx mformat + mcopy + sync (goal: at most 1x)\n", ratio);
    delete folder;
    return 0;
}
