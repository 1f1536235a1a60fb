// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileslot.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

Status OpenRegular(QFile& file, const QString& path) {
    // O_NONBLOCK keeps the open of a pipe from waiting for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failure{qt_error_string(errno)};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Failure{QStringLiteral("not a regular file")};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure{file.errorString()};
    }
    return {};
}

Result<QByteArray> FileSlot::ReadStart(const QString& path, qsizetype count) {
    file_.setFileName(path);
    if (const Status opened = OpenRegular(file_, path); !opened)
        return Failure{CannotReadMessage(path, opened.error())};
    const QByteArray bytes = file_.read(count);
    const bool failed = file_.error() != QFileDevice::NoError;
    const QString reason = file_.errorString();
    file_.close();
    if (failed)
        return Failure{CannotReadMessage(path, reason)};
    return bytes;
}

QString NotRegularMessage(const QString& path) {
    return QStringLiteral("\"%1\" is not a regular file. Enter the name of a file.").arg(path);
}

QString CannotReadMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read \"%1\" (%2).").arg(path, reason);
}

} // namespace kestrix
