// SPDX-License-Identifier: GPL-3.0-or-later
// A 48 Mbit image selected in the main window until its game row is complete, checksum and all,
// against a plain read of the same file, in turn in the same run: warm, from the page cache, and
// cold, as at the first click on a file.
#include "ui/form1.h"
#include "ui/lists.h"

#include "paired.h"
#include "ratio.h"
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QTemporaryDir* folder = nullptr;
QString image;

// Noise behind a copier header, with a LoROM header the window takes for a game's.
void makeImage() {
    folder = new QTemporaryDir;
    image = folder->filePath(QStringLiteral("GAME.swc"));
    constexpr qsizetype body = 48 * 131072;
    QByteArray bytes(512 + body, '\0');
    QRandomGenerator(48).fillRange(reinterpret_cast<quint32*>(bytes.data() + 512), body / 4);
    bytes[0] = static_cast<char>(body / 8192 & 0xff);
    bytes[1] = static_cast<char>(body / 8192 >> 8);
    bytes.replace(8, 3, "\xaa\xbb\x04");
    bytes.replace(512 + 0x7fc0, 21, "KESTRIX BENCH        ");
    bytes.replace(512 + 0x7fd5, 7, QByteArray::fromHex("20000d00013300")); // LoROM, 64 Mbit
    bytes.replace(512 + 0x7ffc, 2, QByteArray::fromHex("0080"));           // reset vector
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0)
        std::abort();
}

// The file's pages leave the page cache, so the next read comes from the disk.
void dropCache() {
    const int fd = ::open(QFile::encodeName(image).constData(), O_RDONLY);
    if (fd < 0 || ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0)
        std::abort();
    ::close(fd);
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double plainRead(bool cold) {
    static std::vector<char> buffer(1 << 20);
    if (cold)
        dropCache();
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(QFile::encodeName(image).constData(), O_RDONLY);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
    return seconds(start);
}

class SilentPrompter : public kestrix::Prompter {
public:
    Answer message(const QString&, const QString&, Buttons, const QString&) override {
        return Answer::Ok;
    }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
};

// From the click to the row with the checksum's verdict; the window waits for events meanwhile,
// as it does for the user.
double selectUntilComplete(kestrix::Form1& form, bool cold) {
    if (cold)
        dropCache();
    const auto start = std::chrono::steady_clock::now();
    form.File1->setListIndex(0);
    while (form.Label12->toolTip().contains(QStringLiteral("checking")))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return seconds(start);
}

void BM_SelectionToRow(benchmark::State& state, bool cold) {
    kestrix::Platform platform;
    platform.programFolder = platform.workFolder = platform.startFolder = folder->path();
    platform.volumes = {{QStringLiteral("/"), {}, QStringLiteral("/")}};
    SilentPrompter prompter;
    kestrix::Form1 form(platform, prompter);
    form.show();
    selectUntilComplete(form, false);
    if (!form.Label12->toolTip().contains(QStringLiteral("checksum bad"))) {
        state.SkipWithError("the row was not filled");
        return;
    }
    TimePaired(
        state, "plain_read", [&] { return selectUntilComplete(form, cold); },
        [&] { return plainRead(cold); });
}
BENCHMARK_CAPTURE(BM_SelectionToRow, warm, false)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectionToRow, cold, true)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    OffscreenUnlessAsked();
    QApplication app(argc, argv);
    const int status = RunChosen(argc, argv, makeImage);
    delete folder;
    return status;
}
