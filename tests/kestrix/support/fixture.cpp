// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    for (const QString& folder : {programFolder, floppy, staging, work, data})
        ASSERT_TRUE(QDir().mkpath(folder));
    const QString tool = QDir(programFolder).filePath(QStringLiteral("ucon64"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRIX_STANDIN), tool)) << "stand-in tool missing";
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    qputenv("STANDIN_LOG", path(QStringLiteral("standin.log")).toLocal8Bit());
}

void KestrixTest::TearDown() {
    QDir::setCurrent(savedCwd_);
    qputenv("PATH", savedPath_);
    qunsetenv("STANDIN_RECEIVE_FAILS");
    qunsetenv("STANDIN_ROOM");
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
