// SPDX-License-Identifier: GPL-3.0-or-later
#include "support.h"

#include "ui/lists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

namespace kestrix::test {

QByteArray RomImage(qsizetype bodyBytes) {
    QByteArray header(512, '\0');
    header[0] = static_cast<char>((bodyBytes / 8192) & 0xff);
    header[1] = static_cast<char>((bodyBytes / 8192 >> 8) & 0xff);
    header[2] = '\x0c';
    header.replace(8, 3, QByteArray::fromHex("aabb04"));
    QByteArray body(bodyBytes, '\0');
    for (qsizetype i = 0; i < bodyBytes; ++i)
        body[i] = static_cast<char>((i * 7 + i / 65536) & 0xff);
    if (bodyBytes >= 0x8000) {
        body.replace(0x7fc0, 21, "KESTRIX TEST IMAGE   ");
        body.replace(0x7fd5, 11, QByteArray::fromHex("20000b00013300ffff0000")); // LoROM, U.S.A.
        body.replace(0x1000, 5, QByteArray::fromHex("a9018d0d42"));   // lda #1; sta $420d
        body.replace(0x2000, 6, QByteArray::fromHex("ad3f212910d0")); // a PAL/NTSC check
    }
    return header + body;
}

QByteArray PartBytes(char kind, qsizetype bodyBytes) {
    QByteArray part = RomImage(bodyBytes);
    if (kind == '+')
        part[2] = static_cast<char>(part[2] | 0x40);
    if (kind == 's')
        part.chop(1000);
    if (kind == 'n')
        part[9] = 0;
    return part;
}

QByteArray CopierData() {
    return QByteArray(512, '\0') + "copier data" + QByteArray(501, '.');
}

void ScriptedPrompter::answer(Answer a, std::function<void()> before) {
    script_.enqueue({false, a, {}, std::move(before)});
}

void ScriptedPrompter::type(const QString& text, std::function<void()> before) {
    script_.enqueue({true, Answer::Ok, text, std::move(before)});
}

ScriptedPrompter::Step ScriptedPrompter::next(bool isInput, const QString& text) {
    if (script_.isEmpty()) {
        ADD_FAILURE() << "unexpected box: " << text.toStdString();
        return {isInput, Answer::Cancel, {}, {}};
    }
    Step step = script_.dequeue();
    EXPECT_EQ(step.isInput, isInput)
        << "the script expected another kind of box at: " << text.toStdString();
    if (step.before)
        step.before();
    return step;
}

Prompter::Answer ScriptedPrompter::message(const QString& text, const QString& title,
                                           Buttons buttons, const QString& detail) {
    shown_.append({false, text, title, buttons, {}, detail});
    return next(false, text).answer;
}

QString ScriptedPrompter::input(const QString& prompt, const QString& title,
                                const QString& preset) {
    shown_.append({true, prompt, title, Buttons::OkCancel, preset, {}});
    return next(true, prompt).text;
}

QStringList ScriptedPrompter::texts() const {
    QStringList all;
    for (const Shown& s : shown_)
        all.append(s.text);
    return all;
}

void KestrixTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    savedCwd_ = QDir::currentPath();
    savedPath_ = qgetenv("PATH");
    programFolder = path(QStringLiteral("prog"));
    floppy = path(QStringLiteral("floppy"));
    staging = path(QStringLiteral("staging"));
    drive = path(QStringLiteral("c"));
    work = path(QStringLiteral("c/roms"));
    data = path(QStringLiteral("d"));
    for (const QString& folder : {programFolder, floppy, work, data})
        ASSERT_TRUE(QDir().mkpath(folder));
    // Staging is the user's alone, or the split takes another folder.
    ASSERT_TRUE(QDir().mkdir(staging, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString tool = QDir(programFolder).filePath(QStringLiteral("ucon64"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRIX_STANDIN), tool)) << "stand-in tool missing";
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    qputenv("STANDIN_LOG", path(QStringLiteral("standin.log")).toLocal8Bit());
}

void KestrixTest::TearDown() {
    for (auto it = mounts_.crbegin(); it != mounts_.crend(); ++it)
        ::umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
    QDir::setCurrent(savedCwd_);
    qputenv("PATH", savedPath_);
    for (const char* name : {"STANDIN_COPIER", "STANDIN_ROOM", "STANDIN_WAIT", "UCON64_HOME"})
        qunsetenv(name);
}

void KestrixTest::writeFile(const QString& relative, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << relative.toStdString();
}

QByteArray KestrixTest::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList KestrixTest::filesIn(const QString& folder) const {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

Platform KestrixTest::platform() const {
    Platform p;
    p.programFolder = p.workFolder = programFolder;
    p.userId = ::getuid();
    p.floppyRoot = floppy;
    p.stagingFolder = staging;
    p.startFolder = work;
    p.volumes = {{QStringLiteral("/"), {}, drive}, {QStringLiteral("/data"), {}, data}};
    return p;
}

std::unique_ptr<Form1> KestrixTest::makeForm(const Platform& p) {
    auto form = std::make_unique<Form1>(p, prompter);
    form->setStopGrace(50);
    return form;
}

void KestrixTest::select(Form1& form, const QString& folder, const QString& name) {
    form.Dir1->setPath(folder);
    form.File1->refresh();
    form.File1->setListIndex(static_cast<int>(form.File1->fileNames().indexOf(name)));
    ASSERT_EQ(form.File1->fileName(), name);
}

QList<Invocation> KestrixTest::invocations() const {
    QList<Invocation> runs;
    const QString log = QString::fromLocal8Bit(readFile(QStringLiteral("standin.log")));
    for (const QString& line : log.split(u'\n', Qt::SkipEmptyParts)) {
        if (line == u"run")
            runs.append(Invocation{});
        else if (runs.isEmpty())
            continue;
        else if (line.startsWith(u"cwd\t"))
            runs.last().cwd = line.mid(4);
        else if (line.startsWith(u"arg\t"))
            runs.last().argv.append(line.mid(4));
        else if (line.startsWith(u"did\t"))
            runs.last().did = line.mid(4);
    }
    return runs;
}

bool KestrixTest::mountTmpfs(const QString& folder, qint64 bytes) {
    const QByteArray size = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, size.constData()) != 0)
        return false;
    mounts_.append(folder);
    return true;
}

bool KestrixTest::mountReadOnly(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    if (::mount(name.constData(), name.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    mounts_.append(folder);
    return ::mount(nullptr, name.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
           0;
}

void DiskBox::move(const QString& from, const QString& to) {
    QDir().mkpath(to);
    // A copy where the drive is a volume of its own.
    for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden))
        QFile::rename(from + u'/' + name, to + u'/' + name);
}

void DiskBox::insert(int disk) {
    eject();
    move(folder(disk), drive_);
    inDrive_ = disk;
}

void DiskBox::eject() {
    move(drive_, folder(inDrive_));
    inDrive_ = 0;
}

void DiskBox::put(int disk, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(folder(disk));
    QFile file(folder(disk) + u'/' + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QStringList DiskBox::files(int disk) const {
    return QDir(folder(disk)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace kestrix::test
