// SPDX-License-Identifier: GPL-3.0-or-later
// Install's run against itself at two sizes and against cp of the same files, both measured by
// turns in each iteration so they see the same machine load. The run must take time linear in
// the number of files: its "ratio" of time per file at 4,000 files to that at 500 stays near 1.
#include "core/platform.h"
#include "core/prompter.h"
#include "paired.h"
#include "ratio.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <chrono>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

class FatalPrompter : public setup::Prompter {
public:
    void ErrorReport(const QString& text) override { qFatal("%s", qPrintable(text)); }
};

QTemporaryDir* folder = nullptr;
constexpr int kMostFiles = 4000;

QString at(const QString& relative) {
    return folder->filePath(relative);
}

QString fileName(int i) {
    return QStringLiteral("file%1.txt").arg(i, 5, 10, QLatin1Char('0'));
}

// The installer's folder holds in files/ the most files of any run, about 2 KB each.
void makeFolders() {
    folder = new QTemporaryDir;
    QDir().mkpath(at(QStringLiteral("inst/files")));
    QDir().mkpath(at(QStringLiteral("opt")));
    for (int i = 0; i < kMostFiles; ++i) {
        QFile file(at(QStringLiteral("inst/files/") + fileName(i)));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QByteArray(1500 + i % 7 * 150, static_cast<char>('a' + i % 26))) < 0)
            std::abort();
    }
    if (!QFile::copy(QStringLiteral("/bin/true"), at(QStringLiteral("inst/pkunzip"))))
        std::abort();
}

// A script that copies the first count files from files/ into opt/out.
void writeScript(int count) {
    QByteArray script =
        "DEST out\r\nORIG files\r\nFILES " + QByteArray::number(count) + "\r\nENDHEADER\r\n";
    for (int i = 0; i < count; ++i)
        script += fileName(i).toLatin1() + "\r\n";
    QFile out(at(QStringLiteral("inst/SETUP.INF")));
    if (!out.open(QIODevice::WriteOnly) || out.write(script + "END G\r\n") < 0)
        std::abort();
}

QString destination() {
    const QString out = at(QStringLiteral("opt/out"));
    QDir(out).removeRecursively();
    return out;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds that pressing Install took, in a fresh window with the window shown.
double timeInstall(int count) {
    destination();
    writeScript(count);
    FatalPrompter prompter;
    setup::Form1 form({at(QStringLiteral("inst")), at(QStringLiteral("opt/")), {}}, prompter,
                      [](int) {});
    if (!form.Form_Load())
        std::abort();
    form.show();
    while (form.Unzip().Running())
        QThread::msleep(1);
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    form.Command1->click();
    return seconds(start);
}

double timeCp(int count) {
    const QString out = destination();
    QDir().mkpath(out);
    std::vector<std::string> argv{"cp"};
    for (int i = 0; i < count; ++i)
        argv.push_back(at(QStringLiteral("inst/files/") + fileName(i)).toStdString());
    argv.push_back(out.toStdString());
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, args.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();
    return seconds(start);
}

void BM_InstallPerFile_4000_vs_500(benchmark::State& state) {
    double small = 0, large = 0;
    for (auto _ : state) {
        small += timeInstall(500);
        const double one = timeInstall(4000);
        large += one;
        state.SetIterationTime(one);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["us_per_file_500"] = small / runs / 500 * 1e6;
    state.counters["us_per_file_4000"] = large / runs / 4000 * 1e6;
    state.counters["ratio"] = (large / 4000) / (small / 500);
}
BENCHMARK(BM_InstallPerFile_4000_vs_500)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_Install2000_vs_cp(benchmark::State& state) {
    TimePaired(
        state, "cp", [] { return timeInstall(2000); }, [] { return timeCp(2000); });
}
BENCHMARK(BM_Install2000_vs_cp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    OffscreenUnlessAsked();
    QApplication app(argc, argv);
    const int status = RunChosen(argc, argv, makeFolders);
    delete folder;
    return status;
}
