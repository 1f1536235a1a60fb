// SPDX-License-Identifier: GPL-3.0-or-later
// What kestrix's tests share: a fixture of temporary folders with the stand-in tool, a prompter
// that answers from a script, the images the tests split and join, and a box of floppy disks.
#pragma once

#include "core/platform.h"
#include "core/prompter.h"
#include "ui/form1.h"

#include <QByteArray>
#include <QQueue>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kestrix::test {

inline constexpr qsizetype Mbit = 131072;

// A copier image: a 512-byte header (size in 8 KiB units, bit 6 of byte 2 clear, AA BB 04) and
// a body whose bytes differ from part to part. A body of 32 KiB or more is a LoROM image the
// real tool recognises, with code its slow-ROM and PAL/NTSC fixes patch.
QByteArray RomImage(qsizetype bodyBytes);
// A part of a split: '+' another follows, '.' the last, 's' cut short, 'n' no copier header.
QByteArray PartBytes(char kind, qsizetype bodyBytes = Mbit);
// What the stand-in receives from the copier.
QByteArray CopierData();

// Answers message and input boxes from a script and records what each one showed.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        bool isInput = false;
        QString text, title;
        Buttons buttons = Buttons::Ok;
        QString preset, detail;
    };
    // An answer may first do something (swap a floppy, say) before its box "closes".
    void answer(Answer a, std::function<void()> before = {});
    void type(const QString& text, std::function<void()> before = {});
    Answer message(const QString& text, const QString& title, Buttons buttons,
                   const QString& detail) override;
    QString input(const QString& prompt, const QString& title, const QString& preset) override;
    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;

private:
    struct Step {
        bool isInput;
        Answer answer;
        QString text;
        std::function<void()> before;
    };
    Step next(bool isInput, const QString& text);
    QQueue<Step> script_;
    QList<Shown> shown_;
};

struct Invocation {
    QString cwd;
    QStringList argv; // without the program name
    QString did;      // "send" or "receive" for a transfer
};

// A program folder holding the stand-in tool, a floppy folder, a private staging folder and two
// volumes ("/" at c, "/data" at d) in a fresh temporary folder; the browser starts in c/roms.
// The working folder, PATH, the stand-in's switches and any mount are put back after each test.
class KestrixTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& relative) const { return tmp.filePath(relative); }
    void writeFile(const QString& relative, const QByteArray& bytes = {});
    QByteArray readFile(const QString& relative) const;
    QStringList filesIn(const QString& folder) const;
    Platform platform() const;
    std::unique_ptr<Form1> makeForm(const Platform& p);
    std::unique_ptr<Form1> makeForm() { return makeForm(platform()); }
    // Opens the folder in the browser and selects the file, reading the list afresh.
    void select(Form1& form, const QString& folder, const QString& name);
    // What the stand-in tool was given, run by run.
    QList<Invocation> invocations() const;
    // Mounts for one test, undone after it, also when it fails; false without the right to
    // mount (root). A tmpfs of the given size, or the folder over itself, read-only.
    bool mountTmpfs(const QString& folder, qint64 bytes);
    bool mountReadOnly(const QString& folder);

    QTemporaryDir tmp;
    ScriptedPrompter prompter;
    QString programFolder, floppy, staging, drive, work, data;

private:
    QString savedCwd_;
    QByteArray savedPath_;
    QStringList mounts_;
};

// A floppy drive (a folder) and a box of numbered disks (folders beside it). Inserting a disk
// puts the one in the drive back into the box first; a disk never seen before is blank.
class DiskBox {
public:
    DiskBox(const QString& drive, const QString& box) : drive_(drive), box_(box) {}
    void insert(int disk);
    void eject();
    void put(int disk, const QString& name, const QByteArray& bytes);
    QStringList files(int disk) const;

private:
    QString folder(int disk) const { return box_ + QStringLiteral("/disk%1").arg(disk); }
    static void move(const QString& from, const QString& to);
    QString drive_, box_;
    int inDrive_ = 0; // 0: whatever lay in the drive at the start
};

} // namespace kestrix::test
