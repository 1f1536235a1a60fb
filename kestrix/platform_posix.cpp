// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QtGlobal>

namespace kestrix {

namespace {

QString findFloppyRoot() {
    const QString configured = qEnvironmentVariable("KESTRIX_FLOPPY");
    if (!configured.isEmpty())
        return QDir::cleanPath(configured);
    for (const char* candidate : {"/media/floppy0", "/media/floppy", "/mnt/floppy"}) {
        const QString path = QString::fromLatin1(candidate);
        if (QFileInfo(path).isDir())
            return path;
    }
    return {};
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
    p.floppyRoot = findFloppyRoot();
    p.stagingFolder = QDir(QDir::tempPath()).filePath(QStringLiteral("kestrix-staging"));
    QDir().mkpath(p.stagingFolder);
    p.startFolder = QDir::currentPath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudoFileSystem(volume))
            continue;
        if (!p.floppyRoot.isEmpty() && volume.rootPath() == p.floppyRoot)
            continue;
        p.volumes.append(
            {volume.rootPath(),
             volume.displayName() == volume.rootPath() ? QString() : volume.displayName(),
             volume.rootPath()});
    }
    return p;
}

QList<Volume> DriveList(const Platform& platform) {
    QList<Volume> drives{{floppyDrive(), {}, platform.floppyRoot}};
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
    return QStringLiteral("Drive %1 is not ready: no floppy drive was found. Set KESTRIX_FLOPPY "
                          "to the folder where the floppy is mounted.")
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

} // namespace kestrix
