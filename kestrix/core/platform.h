// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/port.h"
#include "core/result.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace kestrix {

// The drive list's name of the floppy drive.
inline QString floppyDrive() {
    return QStringLiteral("a:");
}

// A volume as the system reports it mounted.
struct MountedVolume {
    QString root;    // where it is mounted
    QString device;  // "/dev/sdb", to order several floppies
    QByteArray type; // "vfat"
    qint64 bytes = 0;
};
// The mounted volumes as the system says now: asked afresh at every use, since a disk comes and
// goes (and a desktop mounts each one in a folder named by its label).
using MountedVolumes = std::function<QList<MountedVolume>()>;

// The floppy drive as the desktop's disk service (udisks2) handles it: the disk unmounted before
// it comes out and mounted when it goes in. Without one, a disk is synced and the user asked.
class DiskService {
public:
    virtual ~DiskService() = default;
    // The volumes it has mounted now.
    virtual QList<MountedVolume> mounted() = 0;
    // Unmounts the disk mounted at root, so it can come out; fine for a folder not its own. Fails
    // naming the disk and what to do.
    virtual Status eject(const QString& root) = 0;
    // The disk put into the drive, mounted by the desktop or else here; fails naming the drive
    // and what to do.
    virtual Status insert() = 0;
};

struct Volume {
    QString drive; // what the drive list shows and reports: "a:" or the mount folder
    QString label; // shown beside it, may be empty
    QString root;  // the folder the drive stands for; for "a:" empty when no floppy is there
};

// Every fact about the host the program needs, read once by main() and handed to the window,
// so tests can run it in temporary folders.
struct Platform {
    QString programFolder; // folder of the running executable, no trailing separator
    QString workFolder;    // where the tool runs and joins, and relative answers are taken
    QString floppyFolder;  // $KESTRIX_FLOPPY: the folder that is a: while anything is mounted there
    MountedVolumes mounted;  // where a: is, looked up at each use; see FloppyRoot
    QString stagingFolder;   // parts on their way to floppies; see PrivateFolder
    QString stagingFallback; // when stagingFolder cannot be had (a runtime folder of another's)
    uint userId = 0;         // who runs the program, to tell a staging folder of ours
    QString startFolder;     // the current folder at start
    bool terminal = false;   // started from a terminal, which shows the tool's output too
    QList<Volume> volumes;   // mounted volumes, without a:
    PortHost port;           // what the parallel-port check reads
    std::shared_ptr<DiskService> disks; // null where no disk service answers
    std::function<void()> eachBlock;    // called between the blocks of a floppy copy: tests slow it

    static Platform fromSystem();
};

// The program folder when the user can write to it (it is the tool's working folder), else the
// user's own kestrix folder under dataHome, created when missing; fails naming that folder.
Result<QString> WorkFolder(const QString& programFolder, const QString& dataHome);

// A folder for this user alone: the wanted one, created with mode 0700 when missing, or when it
// belongs to someone else, is open to others or is a link, the first such folder named
// wanted-2, wanted-3... Fails with the folder and the system's reason.
Result<QString> PrivateFolder(const QString& wanted, uint userId);

// The staging folder, or its fallback when it cannot be made ours; fails naming both.
Result<QString> StagingFolder(const Platform& platform);

// The folder of the floppy now: the folder configured when a volume is mounted on it, else the
// first (by device) mounted FAT volume no larger than a 2.88 MB disk; empty when none is. A bare
// folder is never a disk: what was written there would lie on the hard disk.
QString FindFloppy(const QList<MountedVolume>& mounted, const QString& configured);
QString FloppyRoot(const Platform& platform);

// Drive a: first, then the volumes.
QList<Volume> DriveList(const Platform& platform);

// The drive whose root holds the folder (longest root wins); a: when none does.
Volume DriveOf(const QList<Volume>& drives, const QString& folder);

// What the user is told when drive a: is asked for and no floppy disk is mounted.
QString NoFloppyMessage();

// A path as the user or a dialogue wrote it, with a leading "A:" meaning the floppy root; empty
// for such a path when there is no floppy.
QString HostPath(const QString& path, const QString& floppyRoot);

// A path the user typed, as an absolute path on the host: "A:" is the floppy, a relative path
// lies in the working folder. Another drive letter is refused, or "C:\GAME.swc" would become a
// file of that very name.
Result<QString> TypedPath(const QString& typed, const Platform& platform);

} // namespace kestrix
