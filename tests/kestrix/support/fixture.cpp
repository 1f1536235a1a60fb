// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/mount.h>
#include <unistd.h>

namespace kestrix::test {

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
    qunsetenv("STANDIN_COPIER");
    qunsetenv("STANDIN_ROOM");
    qunsetenv("STANDIN_WAIT");
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

QString KestrixTest::path(const QString& relative) const {
    return tmp.filePath(relative);
}

void KestrixTest::writeFile(const QString& relative, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
    file.write(bytes);
}

void KestrixTest::makeFolder(const QString& relative) {
    QDir().mkpath(path(relative));
}

QByteArray KestrixTest::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Platform KestrixTest::platform() const {
    Platform p;
    p.programFolder = programFolder;
    p.workFolder = programFolder;
    p.userId = ::getuid();
    p.floppyRoot = floppy;
    p.stagingFolder = staging;
    p.startFolder = work;
    p.volumes = {{QStringLiteral("/"), {}, drive}, {QStringLiteral("/data"), {}, data}};
    return p;
}

std::unique_ptr<Form1> KestrixTest::makeForm(const Platform& p) {
    return std::make_unique<Form1>(p, prompter);
}

QList<Invocation> KestrixTest::invocations() const {
    QList<Invocation> runs;
    const QString log = QString::fromLocal8Bit(readFile(QStringLiteral("standin.log")));
    for (const QString& line : log.split(u'\n', Qt::SkipEmptyParts)) {
        if (line == u"run")
            runs.append(Invocation{});
        else if (!runs.isEmpty() && line.startsWith(u"cwd\t"))
            runs.last().cwd = line.mid(4);
        else if (!runs.isEmpty() && line.startsWith(u"arg\t"))
            runs.last().argv.append(line.mid(4));
        else if (!runs.isEmpty() && line.startsWith(u"did\t"))
            runs.last().did = line.mid(4);
    }
    return runs;
}

} // namespace kestrix::test
