// SPDX-License-Identifier: GPL-3.0-or-later
// What kestrix's tests share: a fixture of temporary folders with the stand-in tool, a prompter
// that answers from a script, the images the tests split and join, and a box of floppy disks.
#pragma once

#include "core/fat12.h"
#include "core/platform.h"
#include "core/prompter.h"
#include "ui/form1.h"
#include "ui/lists.h"

#include <QDir>
#include <QQueue>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kestrix::test {

using namespace Qt::StringLiterals;

inline constexpr qsizetype Mbit = 131072;

// A copier image: a 512-byte header (size in 8 KiB units, AA BB 04) and a body whose bytes
// differ from part to part; of 32 KiB or more a LoROM image the real tool recognises, with code
// its slow-ROM and PAL/NTSC fixes patch. A part: '+' another follows, '.' the last, 's' cut
// short, 'n' without a copier header.
inline QByteArray RomImage(qsizetype bodyBytes, char part = '.') {
    QByteArray bytes(512 + bodyBytes, '\0');
    bytes[0] = static_cast<char>(bodyBytes / 8192 & 0xff);
    bytes[1] = static_cast<char>(bodyBytes / 8192 >> 8);
    bytes[2] = part == '+' ? '\x4c' : '\x0c';
    bytes.replace(8, 3, part == 'n' ? "xxx" : "\xaa\xbb\x04");
    for (qsizetype i = 0; i < bodyBytes; ++i)
        bytes[512 + i] = static_cast<char>((i * 7 + i / 65536) & 0xff);
    if (bodyBytes >= 0x8000) {
        bytes.replace(512 + 0x7fc0, 21, "KESTRIX TEST IMAGE   ");
        bytes.replace(512 + 0x7fd5, 11, QByteArray::fromHex("20000b00013300ffff0000")); // LoROM
        bytes.replace(512 + 0x1000, 5, QByteArray::fromHex("a9018d0d42"));              // sta $420d
        bytes.replace(512 + 0x2000, 6, QByteArray::fromHex("ad3f212910d0")); // a PAL check
    }
    return part == 's' ? bytes.chopped(1000) : bytes;
}

// What the stand-in receives from the copier.
inline QByteArray CopierData() {
    return QByteArray(512, '\0') + "copier data" + QByteArray(501, '.');
}

// Answers message and input boxes from a script, an answer perhaps doing something first (swap
// a floppy, say), and records each box's text, a detail after a line break.
class ScriptedPrompter : public Prompter {
public:
    void answer(Answer a, std::function<void()> before = {}) { script_.enqueue({a, {}, before}); }
    void type(const QString& text, std::function<void()> before = {}) {
        script_.enqueue({Answer::Ok, text.isNull() ? QLatin1String("") : text, before});
    }
    Answer message(const QString& text, const QString&, Buttons, const QString& detail) override {
        return next(detail.isEmpty() ? text : text + u'\n' + detail).answer;
    }
    QString input(const QString& prompt, const QString&, const QString&) override {
        const Step step = next(prompt);
        EXPECT_FALSE(step.text.isNull()) << "an input box where a message was expected";
        return step.text;
    }
    const QStringList& texts() const { return texts_; }

private:
    struct Step {
        Answer answer;
        QString text; // null for a message box's answer
        std::function<void()> before;
    };
    Step next(const QString& text) {
        texts_.append(text);
        if (script_.isEmpty()) {
            ADD_FAILURE() << "unexpected box: " << text.toStdString();
            return {Answer::Cancel, {}, {}};
        }
        Step step = script_.dequeue();
        if (step.before)
            step.before();
        return step;
    }
    QQueue<Step> script_;
    QStringList texts_;
};

struct Invocation {
    QString cwd;
    QStringList argv; // without the program name
};

// A program folder holding the stand-in tool, a working folder apart from it (as when the
// program folder is the system's), a floppy folder, a private staging folder and two
// volumes ("/" at c, "/data" at d) in a fresh temporary folder; the browser starts in c/roms.
// The working folder, PATH, the stand-in's switches and any mount are put back after each test.
class KestrixTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& folder : {programFolder, own, floppy, work, data})
            QDir().mkpath(folder);
        // Staging is the user's alone, or the split takes another folder.
        QDir().mkdir(staging, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString tool = programFolder + u"/ucon64"_s;
        ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRIX_STANDIN), tool));
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
        qputenv("STANDIN_LOG", path(u"standin.log"_s).toLocal8Bit());
    }
    void TearDown() override {
        for (auto it = mounts_.crbegin(); it != mounts_.crend(); ++it)
            ::umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
        QDir::setCurrent(savedCwd_);
        qputenv("PATH", savedPath_);
        for (const char* name :
             {"STANDIN_COPIER", "STANDIN_ROOM", "STANDIN_STALL", "STANDIN_WAIT", "UCON64_HOME"})
            qunsetenv(name);
    }

    QString path(const QString& relative) const { return tmp.filePath(relative); }
    void writeFile(const QString& relative, const QByteArray& bytes = {}) {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray readFile(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    Platform platform() const {
        Platform p;
        p.programFolder = programFolder;
        p.workFolder = own;
        p.userId = ::getuid();
        // The floppy folder stands for a disk mounted there while it exists.
        p.mounted = [this] {
            return QFileInfo(floppy).isDir()
                       ? QList<MountedVolume>{{floppy, u"/dev/fd0"_s, "vfat", 1474560}}
                       : QList<MountedVolume>();
        };
        p.stagingFolder = staging;
        p.port.root = path(u"sys"_s); // a computer whose port the check finds no fault with
        p.startFolder = work;
        p.volumes = {{u"/"_s, {}, drive}, {u"/data"_s, {}, data}};
        return p;
    }
    // The real ucon64 in the program folder, or why it is not there: a failure where CI needs it.
    std::string useRealTool() {
        if (!*KESTRIX_REAL_UCON64) {
            if (qEnvironmentVariableIsSet("KESTRIX_REQUIRE_REAL_TOOL"))
                ADD_FAILURE() << "the real ucon64 was not built";
            return "no ucon64 source: configure with -DKESTRIX_UCON64_SOURCE=DIR";
        }
        const QString tool = programFolder + u"/ucon64"_s;
        EXPECT_TRUE(QFile::remove(tool) && QFile::copy(QStringLiteral(KESTRIX_REAL_UCON64), tool));
        QDir().mkpath(path(u"home"_s));
        qputenv("UCON64_HOME", path(u"home"_s).toLocal8Bit());
        return {};
    }
    // Queues the boxes' answers: ">TEXT" types, else ok cancel yes no retry; "@X" after one
    // has before(X) done first (a disk put in, say).
    void answer(const QStringList& steps, const std::function<void(const QString&)>& before) {
        static const QStringList names = {u"ok"_s, u"cancel"_s, u"yes"_s, u"no"_s, u"retry"_s};
        for (const QString& step : steps) {
            const QString answer = step.section(u'@', 0, 0), disk = step.section(u'@', 1);
            std::function<void()> first;
            if (!disk.isEmpty())
                first = [before, disk] { before(disk); };
            if (answer.startsWith(u'>'))
                prompter.type(answer.mid(1), first);
            else
                prompter.answer(Prompter::Answer(names.indexOf(answer)), first);
        }
    }
    std::unique_ptr<Form1> makeForm(const Platform& p) {
        auto form = std::make_unique<Form1>(p, prompter);
        form->setStopGrace(50);
        return form;
    }
    std::unique_ptr<Form1> makeForm() { return makeForm(platform()); }
    // Opens the folder in the browser and selects the file, reading the list afresh.
    void select(Form1& form, const QString& folder, const QString& name) {
        form.Dir1->setPath(folder);
        form.File1->refresh();
        form.File1->setListIndex(static_cast<int>(form.File1->fileNames().indexOf(name)));
        ASSERT_EQ(form.File1->fileName(), name);
    }
    // What the stand-in tool was given, run by run.
    QList<Invocation> invocations() const {
        QList<Invocation> runs;
        for (const QByteArray& line : readFile(u"standin.log"_s).split('\n')) {
            const QString value = QString::fromLocal8Bit(line.mid(4));
            if (line == "run")
                runs.append(Invocation{});
            else if (line.startsWith("cwd\t"))
                runs.last().cwd = value;
            else if (line.startsWith("arg\t"))
                runs.last().argv.append(value);
        }
        return runs;
    }
    // A tmpfs of the given size (and number of files) over the folder for one test, unmounted after
    // it, also when it fails; false without the right to mount (root).
    bool mountTmpfs(const QString& folder, qint64 bytes, int files = 0) {
        QByteArray size = "size=" + QByteArray::number(bytes);
        if (files) // the root folder takes one too
            size += ",nr_inodes=" + QByteArray::number(files + 1);
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, size.constData()))
            return false;
        mounts_.append(folder);
        return true;
    }

    QTemporaryDir tmp;
    ScriptedPrompter prompter;
    const QString programFolder = path(u"prog"_s), own = path(u"own"_s), floppy = path(u"floppy"_s),
                  staging = path(u"staging"_s), drive = path(u"c"_s), work = path(u"c/roms"_s),
                  data = path(u"d"_s);

private:
    const QString savedCwd_ = QDir::currentPath();
    const QByteArray savedPath_ = qgetenv("PATH");
    QStringList mounts_;
};

// A floppy drive (a folder) and a box of numbered disks (folders beside it). Inserting a disk
// puts the one in the drive back into the box first; a disk never seen before is blank.
class DiskBox {
public:
    DiskBox(const QString& drive, const QString& box) : drive_(drive), box_(box) {}
    void insert(int disk) {
        eject();
        move(folder(disk), drive_);
        inDrive_ = disk;
    }
    void eject() {
        move(drive_, folder(inDrive_));
        inDrive_ = 0;
    }

private:
    QString folder(int disk) const { return box_ + u"/disk%1"_s.arg(disk); }
    // A copy where the drive is a volume of its own.
    static void move(const QString& from, const QString& to) {
        QDir().mkpath(to);
        for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden))
            QFile::rename(from + u'/' + name, to + u'/' + name);
    }
    QString drive_, box_;
    int inDrive_ = 0; // 0: whatever lay in the drive at the start
};

} // namespace kestrix::test
