// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace setup {

namespace {

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

Failure SystemReason(int error) {
    return Failure{qt_error_string(error) + u'.'};
}

Failure NoFolder(const QString& folder) {
    return Failure{QStringLiteral("the folder \"%1\" does not exist.").arg(Shown(folder))};
}

Failure IsALink(const QString& path) {
    return Failure{QStringLiteral("\"%1\" is a symbolic link, which the installer never writes "
                                  "through.")
                       .arg(Shown(path))};
}

mode_t ModeOf(QFileDevice::Permissions p) {
    const auto bits = static_cast<unsigned>(p.toInt());
    return static_cast<mode_t>((bits >> 12 & 7) << 6 | (bits >> 4 & 7) << 3 | (bits & 7));
}

QFileDevice::Permissions PermissionsOf(mode_t mode) {
    const unsigned owner = mode >> 6 & 7;
    return QFileDevice::Permissions::fromInt(
        static_cast<int>(owner << 12 | owner << 8 | (mode >> 3 & 7) << 4 | (mode & 7)));
}

} // namespace

WholeFile::~WholeFile() {
    discard();
    if (folder_ >= 0)
        ::close(folder_);
}

void WholeFile::discard() {
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
    if (!temporary_.isEmpty())
        ::unlinkat(folder_, temporary_.constData(), 0);
    temporary_.clear();
}

Status WholeFile::Open(const QString& folder, const QString& name) {
    // The folder itself may be reached through links: only what lies below it is checked.
    folder_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0)
        return errno == ENOENT || errno == ENOTDIR ? NoFolder(folder) : SystemReason(errno);
    QStringList parts = name.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    if (parts.isEmpty())
        return Failure{QStringLiteral("a folder of that name is in the way.")};
    QString reached = folder;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        reached += u'/' + parts[i];
        const QByteArray part = QFile::encodeName(parts[i]);
        struct stat st {};
        const bool exists = ::fstatat(folder_, part.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (exists && S_ISLNK(st.st_mode))
            return IsALink(reached);
        if (i + 1 == parts.size()) {
            if (exists && S_ISDIR(st.st_mode))
                return Failure{QStringLiteral("a folder of that name is in the way.")};
            name_ = part;
            break;
        }
        // O_NOFOLLOW also holds when a link is put in the folder's place after the check.
        const int next =
            ::openat(folder_, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return errno == ENOENT || errno == ENOTDIR ? NoFolder(reached) : SystemReason(errno);
        ::close(folder_);
        folder_ = next;
    }
    // A short name of its own, which no listed name's length can push past the system's limit.
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = ".setup-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        file_ = ::openat(folder_, temporary_.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file_ >= 0 || errno != EEXIST)
            break;
    }
    if (file_ < 0) {
        const int error = errno;
        temporary_.clear();
        return SystemReason(error);
    }
    return {};
}

Status WholeFile::Write(QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file_, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            discard();
            return SystemReason(error);
        }
        // A short write is retried: the next one says why the disk took no more.
        data += n;
        left -= n;
    }
    return {};
}

Status WholeFile::Commit(QFileDevice::Permissions permissions) {
    // The data reaches the disk before the name does, so a crash leaves either file whole.
    if (::fchmod(file_, ModeOf(permissions)) != 0 || ::fsync(file_) != 0 ||
        ::close(std::exchange(file_, -1)) != 0 ||
        ::renameat(folder_, temporary_.constData(), folder_, name_.constData()) != 0) {
        const int error = errno;
        discard();
        return SystemReason(error);
    }
    temporary_.clear();
    return {};
}

QFileDevice::Permissions WholeFile::DefaultPermissions() const {
    struct stat st {};
    return PermissionsOf(::fstat(file_, &st) == 0 ? st.st_mode : 0644);
}

} // namespace setup
