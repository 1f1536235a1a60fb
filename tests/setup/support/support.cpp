// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/support.h"

#include <QDirIterator>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace setup::test {

Tree ListTree(const QString& folder) {
    Tree tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString name = QDir(folder).relativeFilePath(entry.filePath());
        if (entry.isDir())
            tree[name + u'/'];
        else if (QFile file(entry.filePath()); file.open(QIODevice::ReadOnly))
            tree[name] = file.readAll();
    }
    return tree;
}

bool HoldsUnderFileLimit(long bytes, const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        // Not _exit: a coverage build writes its counts at exit.
        std::exit(::setrlimit(RLIMIT_FSIZE, &size) == 0 && check() ? 0 : 1);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

void SetupTest::write(const QString& relative, const QByteArray& bytes) {
    QFile file(path(relative));
    const bool folder = relative.endsWith(u'/');
    ASSERT_TRUE(QDir().mkpath(folder ? file.fileName() : QFileInfo(file).absolutePath()));
    ASSERT_TRUE(folder || (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()))
        << qPrintable(file.fileName());
}

bool SetupTest::mountTmpfs(const QString& folder, qint64 bytes) {
    const QByteArray size = "size=" + QByteArray::number(bytes);
    if (!QDir().mkpath(folder) ||
        ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", bytes ? 0 : MS_RDONLY,
                bytes ? size.constData() : nullptr) != 0)
        return false;
    mounts_.append(folder);
    return true;
}

void SetupTest::TearDown() {
    if (form_) {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form_->Unzip().Running(); }, 10000));
    }
    qputenv("PATH", savedPath_);
    QDir::setCurrent(savedCwd_);
    // Detached, so a file still open below it cannot keep it.
    for (const QString& folder : mounts_)
        EXPECT_EQ(::umount2(QFile::encodeName(folder).constData(), MNT_DETACH), 0)
            << qPrintable(folder);
}

void SetupTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    for (const QString& folder : {installer, root, desktop, path(u"bin"_s)})
        ASSERT_TRUE(QDir().mkpath(folder));
    qputenv("PATH", path(u"bin"_s).toLocal8Bit());
    for (const QString& standin : {installer + u"/PKUNZIP"_s, path(u"bin/pkunzip"_s)})
        ASSERT_TRUE(QFile::copy(QStringLiteral(PKUNZIP_STANDIN), standin));
}

} // namespace setup::test
