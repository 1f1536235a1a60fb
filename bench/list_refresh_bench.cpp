// SPDX-License-Identifier: GPL-3.0-or-later
// The file list's refresh after a tool run, against a bare read of the same folder's names.
#include "core/browse.h"
#include "ui/lists.h"

#include "ratio.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <dirent.h>

namespace {

QTemporaryDir* folder = nullptr;

// 10,000 files, most of them ROM images as a collector's folder holds them.
void makeFolder() {
    folder = new QTemporaryDir;
    const char* endings[] = {".swc", ".SMC", ".sfc", ".1", ".2", ".bak", ".txt", ".zip"};
    for (int i = 0; i < 10000; ++i) {
        QFile file(folder->filePath(QStringLiteral("Game %1%2")
                                        .arg(i, 5, 10, QLatin1Char('0'))
                                        .arg(QLatin1String(endings[i % 8]))));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
    }
}

void BM_BareReaddir(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(folder->path());
    for (auto _ : state) {
        DIR* dir = opendir(path.constData());
        size_t names = 0;
        while (dirent* entry = readdir(dir))
            names += entry->d_name[0] != '.';
        closedir(dir);
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_BareReaddir)->Unit(benchmark::kMillisecond);

void BM_BareEntryList(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(QDir(folder->path()).entryList(QDir::NoFilter, QDir::Unsorted));
}
BENCHMARK(BM_BareEntryList)->Unit(benchmark::kMillisecond);

void BM_ListFiles(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrix::ListFiles(folder->path(), kestrix::RomPattern()));
}
BENCHMARK(BM_ListFiles)->Unit(benchmark::kMillisecond);

void BM_FileListRefresh(benchmark::State& state) {
    kestrix::FileListBox list;
    list.setPattern(kestrix::RomPattern());
    list.setPath(folder->path());
    for (auto _ : state) {
        list.refresh();
        benchmark::DoNotOptimize(list.listCount());
    }
}
BENCHMARK(BM_FileListRefresh)->Unit(benchmark::kMillisecond);

// Prints each refresh's time as a multiple of the bare reads of the same run.

} // namespace

int main(int argc, char** argv) {
    OffscreenUnlessAsked();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    makeFolder();
    RunAndPrintRatios([](const RatioReporter::Times& t) {
        for (const char* name : {"BM_ListFiles", "BM_FileListRefresh"})
            std::printf("%-20s %6.2f ms  %5.2fx bare readdir  %5.2fx bare QDir::entryList\n", name,
                        t.at(name), t.at(name) / t.at("BM_BareReaddir"),
                        t.at(name) / t.at("BM_BareEntryList"));
    });
    delete folder;
    return 0;
}
