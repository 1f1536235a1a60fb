// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"

#include "core/udisks.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr qint64 LargestFloppy = 2949120; // a 2.88 MB disk

bool IsFloppy(const MountedVolume& volume) {
    return (volume.type == "vfat" || volume.type == "msdos") && volume.bytes > 0 &&
           volume.bytes <= LargestFloppy;
}

QList<MountedVolume> MountedNow() {
    QList<MountedVolume> mounted;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid())
            mounted.append({volume.rootPath(), QString::fromLocal8Bit(volume.device()),
                            volume.fileSystemType(), volume.bytesTotal()});
    return mounted;
}

bool isPseudoFileSystem(const QStorageInfo& volume) {
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",     "devtmpfs",   "devpts",  "cgroup",      "cgroup2",
        "securityfs", "pstore",    "debugfs",    "tracefs", "configfs",    "fusectl",
        "mqueue",     "hugetlbfs", "bpf",        "autofs",  "binfmt_misc", "efivarfs",
        "nsfs",       "ramfs",     "rpc_pipefs", "nfsd",    "squashfs"};
    if (pseudo.contains(volume.fileSystemType()))
        return true;
    const QString root = volume.rootPath();
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"}) {
        const QString prefix = QString::fromLatin1(system);
        if (root == prefix || root.startsWith(prefix + u'/'))
            return true;
    }
    return false;
}

} // namespace

Platform Platform::fromSystem() {
    Platform p;
    p.programFolder = QCoreApplication::applicationDirPath();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const Result<QString> work = WorkFolder(p.programFolder, dataHome);
    // Without it every tool run is refused, naming the folder; the browser still works.
    if (!work)
        std::fprintf(stderr, "%s\n", qPrintable(work.error()));
    p.workFolder = work ? *work : QDir(dataHome).filePath(QStringLiteral("kestrix"));
    p.floppyFolder = qEnvironmentVariable("KESTRIX_FLOPPY");
    // The desktop's disk service, where it runs, says where it mounted each disk, and unmounts
    // and mounts them; a folder the user named is left to the user.
    if (p.floppyFolder.isEmpty())
        p.disks = UDisks(QDBusConnection::systemBus());
    p.mounted = [disks = p.disks] {
        QList<MountedVolume> mounted = disks ? disks->mounted() : QList<MountedVolume>();
        for (const MountedVolume& volume : MountedNow())
            if (std::none_of(mounted.cbegin(), mounted.cend(),
                             [&](const MountedVolume& known) { return known.root == volume.root; }))
                mounted.append(volume);
        return mounted;
    };
    const QString floppyNow = FloppyRoot(p);
    p.userId = ::getuid();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    p.stagingFallback =
        QDir(QDir::tempPath()).filePath(QStringLiteral("kestrix-staging-%1").arg(p.userId));
    p.stagingFolder = QFileInfo(runtime).isDir()
                          ? QDir(runtime).filePath(QStringLiteral("kestrix-staging"))
                          : p.stagingFallback;
    p.startFolder = QDir::currentPath();
    p.port.root = QStringLiteral("/");
    p.port.userId = p.userId;
    QList<gid_t> groups(::getgroups(0, nullptr) + 1);
    groups.resize(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0));
    groups.append(::getgid());
    for (const gid_t group : groups)
        p.port.groups.append(group);
    const QString toolHome = qEnvironmentVariable("UCON64_HOME", QDir::homePath());
    p.port.settingsFile = QDir(toolHome).filePath(QStringLiteral(".ucon64rc"));
    p.terminal = ::isatty(STDOUT_FILENO) == 1;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudoFileSystem(volume))
            continue;
        // The floppy is a:, never a drive of its own, under whatever label it is mounted.
        if (volume.rootPath() == floppyNow ||
            IsFloppy({volume.rootPath(), {}, volume.fileSystemType(), volume.bytesTotal()}))
            continue;
        p.volumes.append(
            {volume.rootPath(),
             volume.displayName() == volume.rootPath() ? QString() : volume.displayName(),
             volume.rootPath()});
    }
    return p;
}

Result<QString> WorkFolder(const QString& programFolder, const QString& dataHome) {
    if (::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return programFolder;
    const QString own = QDir(dataHome).filePath(QStringLiteral("kestrix"));
    if (!QDir().mkpath(own))
        return Failure{QStringLiteral("Cannot make the working folder \"%1\".").arg(own)};
    return own;
}

Result<QString> PrivateFolder(const QString& wanted, uint userId) {
    for (int n = 1; n < 100; ++n) {
        const QString folder = n == 1 ? wanted : QStringLiteral("%1-%2").arg(wanted).arg(n);
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return Failure{QStringLiteral("Cannot make the folder \"%1\" (%2).")
                               .arg(folder, qt_error_string(errno))};
        struct stat info {};
        if (::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == userId && (info.st_mode & 077) == 0)
            return folder;
    }
    return Failure{QStringLiteral("\"%1\" and the folders named after it belong to others or are "
                                  "open to them.")
                       .arg(wanted)};
}

Result<QString> StagingFolder(const Platform& platform) {
    const Result<QString> wanted = PrivateFolder(platform.stagingFolder, platform.userId);
    if (wanted || platform.stagingFallback.isEmpty() ||
        platform.stagingFallback == platform.stagingFolder)
        return wanted;
    const Result<QString> fallback = PrivateFolder(platform.stagingFallback, platform.userId);
    if (fallback)
        return fallback;
    return Failure{wanted.error() + u' ' + fallback.error()};
}

QString FindFloppy(const QList<MountedVolume>& mounted, const QString& configured) {
    if (!configured.isEmpty()) {
        const QString folder = QDir::cleanPath(configured);
        for (const MountedVolume& volume : mounted)
            if (QDir::cleanPath(volume.root) == folder)
                return folder;
        return {};
    }
    const MountedVolume* first = nullptr;
    for (const MountedVolume& volume : mounted)
        if (IsFloppy(volume) && (!first || volume.device < first->device))
            first = &volume;
    return first ? QDir::cleanPath(first->root) : QString();
}

QString FloppyRoot(const Platform& platform) {
    return FindFloppy(platform.mounted ? platform.mounted() : QList<MountedVolume>(),
                      platform.floppyFolder);
}

QList<Volume> DriveList(const Platform& platform) {
    QList<Volume> drives{{floppyDrive(), {}, FloppyRoot(platform)}};
    drives.append(platform.volumes);
    return drives;
}

Volume DriveOf(const QList<Volume>& drives, const QString& folder) {
    const QString path = QDir::cleanPath(folder);
    const Volume* best = nullptr;
    for (const Volume& v : drives) {
        if (v.root.isEmpty())
            continue;
        const QString root = QDir::cleanPath(v.root);
        const bool inside = path == root || root == u'/' || path.startsWith(root + u'/');
        if (inside && (!best || root.size() > QDir::cleanPath(best->root).size()))
            best = &v;
    }
    return best ? *best : drives.value(0);
}

QString NoFloppyMessage() {
    return QStringLiteral("Drive %1 is not ready: no floppy disk is mounted. Insert a disk and let "
                          "the desktop mount it, or set KESTRIX_FLOPPY to the folder where it is "
                          "mounted.")
        .arg(floppyDrive());
}

QString HostPath(const QString& path, const QString& floppyRoot) {
    if (!path.startsWith(QLatin1String("A:"), Qt::CaseInsensitive))
        return path;
    if (floppyRoot.isEmpty())
        return {}; // no floppy: nothing on the host may stand in for it
    QString rest = path.mid(2);
    // The drive's own separator: "A:\" and "A:\\" both name the root.
    while (rest.startsWith(u'\\') || rest.startsWith(u'/'))
        rest.remove(0, 1);
    // Typed as a drive path, so its inner backslashes separate folders too.
    rest.replace(u'\\', u'/');
    return rest.isEmpty() ? floppyRoot : floppyRoot + u'/' + rest;
}

Result<QString> TypedPath(const QString& typed, const Platform& platform) {
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):"));
    if (const QRegularExpressionMatch letter = drive.match(typed);
        letter.hasMatch() && letter.captured(1).toUpper() != u"A")
        return Failure{QStringLiteral("\"%1\" names drive %2:, which is not here: only A: stands "
                                      "for a drive, the floppy. Enter a folder path instead.")
                           .arg(typed, letter.captured(1).toUpper())};
    const QString host = HostPath(typed, FloppyRoot(platform));
    if (host.isEmpty())
        return Failure{NoFloppyMessage()};
    return QDir(platform.workFolder).absoluteFilePath(host);
}

} // namespace kestrix
