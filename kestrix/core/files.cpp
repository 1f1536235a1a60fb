// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files.h"

#include "core/fileslot.h"
#include "core/operation.h"
#include "core/prompter.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kestrix {

namespace {

// Small enough that a floppy, at tens of kilobytes a second, moves the bar every few seconds.
constexpr qint64 BlockBytes = 64 * 1024;

// Writes the rest of in to out until every byte is written, the system reports an error or the
// step says stop; a short write alone sets no error, so it is retried until one does.
qint64 Pump(QFile& in, QFileDevice& out, QString* reason, const CopyStep& step, bool* stopped) {
    qint64 written = 0;
    for (;;) {
        if (step && !step(written)) {
            *stopped = true;
            return written;
        }
        const QByteArray chunk = in.read(BlockBytes);
        if (chunk.isEmpty()) {
            if (in.error() != QFileDevice::NoError)
                *reason = in.errorString();
            return written;
        }
        for (qint64 done = 0; done < chunk.size();) {
            const qint64 n = out.write(chunk.constData() + done, chunk.size() - done);
            if (n <= 0) {
                *reason = out.errorString();
                return written + done;
            }
            done += n;
        }
        written += chunk.size();
    }
}

Failure Stopped(const QString& from, const QString& to, qint64 written, qint64 total,
                const QString& reason) {
    return {QStringLiteral("Copying %1 to \"%2\" stopped after %3 of %4 bytes (%5).")
                .arg(QFileInfo(from).fileName(), to, BytesText(written), BytesText(total),
                     reason.isEmpty() ? QStringLiteral("the copy ended early") : reason)};
}

qint64 Blocks(qint64 bytes, qint64 block) {
    return (bytes + block - 1) / block * block;
}

Status SyncVolume(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::syncfs(fd) != 0) {
        const QString reason = qt_error_string(errno);
        if (fd >= 0)
            ::close(fd);
        return Failure{QStringLiteral("Could not write everything to the disk in \"%1\" (%2).")
                           .arg(folder, reason)};
    }
    ::close(fd);
    return {};
}

} // namespace

bool ProbeDisk(const QString& probePath) {
    QFile probe(probePath);
    if (probe.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
        probe.close();
        return probe.remove();
    }
    if (!QFileInfo::exists(probePath))
        return false;
    QTemporaryFile other(QFileInfo(probePath).path() + QStringLiteral("/test.XXXXXX"));
    return other.open();
}

QString BytesText(qint64 bytes) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(bytes);
}

Status CopyFile(const QString& from, const QString& to, CopyMode mode, const CopyStep& step) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return Stopped(from, to, 0, QFileInfo(from).size(), in.errorString());
    const qint64 total = in.size();
    QString reason;
    bool stopped = false;
    if (mode == CopyMode::Beside && QFileInfo::exists(to)) {
        QSaveFile out(to);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Stopped(from, to, 0, total, out.errorString());
        const qint64 written = Pump(in, out, &reason, step, &stopped);
        if (stopped || written != total) {
            out.cancelWriting();
            if (stopped)
                return Cancelled{};
            return Stopped(from, to, written, total, reason);
        }
        if (!out.commit()) // it syncs before it renames
            return Stopped(from, to, written, total, out.errorString());
    } else {
        QFile out(to);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return Stopped(from, to, 0, total, out.errorString());
        qint64 written = Pump(in, out, &reason, step, &stopped);
        if (!stopped && written == total && ::fsync(out.handle()) != 0) {
            reason = qt_error_string(errno);
            written = -1;
        }
        out.close();
        if (stopped || written != total) {
            out.remove();
            if (stopped)
                return Cancelled{};
            return Stopped(from, to, std::max<qint64>(written, 0), total, reason);
        }
    }
    if (const qint64 landed = QFileInfo(to).size(); landed != total)
        return Stopped(from, to, landed, total, QStringLiteral("the copy has another size"));
    return {};
}

Status WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    QString reason;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = out.errorString();
    } else if (out.write(bytes) != bytes.size()) {
        reason = out.errorString();
        out.cancelWriting();
    } else if (!out.commit()) { // it syncs before it renames
        reason = out.errorString();
    } else if (QFileInfo(path).size() != bytes.size()) {
        reason = QStringLiteral("it has another size");
    }
    if (reason.isEmpty())
        return {};
    return Failure{QStringLiteral("Could not write \"%1\" (%2).").arg(path, reason)};
}

Placement PlaceOnDisk(qint64 bytes, qint64 oldBytes, qint64 freeBytes, qint64 blockBytes) {
    const qint64 block = std::max<qint64>(blockBytes, 1);
    if (Blocks(bytes, block) <= freeBytes)
        return Placement::Beside;
    if (oldBytes >= 0 && Blocks(bytes, block) <= freeBytes + Blocks(oldBytes, block))
        return Placement::InPlace;
    return Placement::NoRoom;
}

Status CopyOntoDisk(const QString& from, const QString& to, const CopyStep& step) {
    const QFileInfo target(to);
    const QString folder = target.absolutePath();
    const QStorageInfo disk(folder);
    CopyMode mode = CopyMode::Beside;
    if (disk.isValid() && disk.isReady()) {
        const qint64 bytes = QFileInfo(from).size();
        const qint64 old = target.isFile() ? target.size() : -1;
        const qint64 block = std::max(disk.blockSize(), 1);
        switch (PlaceOnDisk(bytes, old, disk.bytesAvailable(), block)) {
        case Placement::Beside:
            break;
        case Placement::InPlace:
            mode = CopyMode::InPlace;
            break;
        case Placement::NoRoom:
            return Failure{
                QStringLiteral("%1 needs %2 bytes on the disk, which has room for %3.")
                    .arg(QFileInfo(from).fileName(), BytesText(Blocks(bytes, block)),
                         BytesText(disk.bytesAvailable() + (old < 0 ? 0 : Blocks(old, block))))};
        }
    }
    if (Status copied = CopyFile(from, to, mode, step); !copied)
        return copied;
    return SyncVolume(folder);
}

Status CopyAside(const Operation& op, const QString& text, qint64 total,
                 const std::function<Status(const CopyStep&)>& copy) {
    Progress* progress = op.progress;
    const std::function<void()>& pace = op.platform.eachBlock;
    if (!progress)
        return copy([&](qint64 done) {
            if (pace && done > 0)
                pace();
            return true;
        });
    std::atomic<bool> stop = false;
    QObject here; // the progress reports reach the window on its own thread, through here
    QEventLoop loop;
    progress->begin(text, total, [&] { stop = true; });
    Status result;
    std::thread worker([&] {
        result = copy([&](qint64 done) {
            QMetaObject::invokeMethod(
                &here, [progress, done] { progress->advance(done); }, Qt::QueuedConnection);
            if (pace && done > 0)
                pace();
            return !stop;
        });
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    progress->end();
    return result;
}

QString NotRemovedMessage(const QStringList& paths) {
    return QStringLiteral("Could not remove %1.").arg(paths.join(QStringLiteral(", ")));
}

Status EnterFolder(const QString& folder) {
    if (QDir::setCurrent(folder))
        return {};
    return Failure{QStringLiteral("Cannot work in the folder \"%1\": it is missing or out of "
                                  "reach.")
                       .arg(folder)};
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

Result<MovedAside> MoveAside(const QString& path) {
    MovedAside aside{path, path + QStringLiteral(".old")};
    for (int n = 2; FileExists(aside.backup); ++n)
        aside.backup = path + QStringLiteral(".old") + QString::number(n);
    QFile file(path);
    if (!file.rename(aside.backup))
        return Failure{QStringLiteral("Cannot move \"%1\" out of the way (%2). Nothing was "
                                      "written.")
                           .arg(path, file.errorString())};
    return aside;
}

Status Discard(const MovedAside& aside) {
    if (QFile::remove(aside.backup))
        return {};
    return Failure{QStringLiteral("The old file is still kept as \"%1\"; it could not be deleted.")
                       .arg(aside.backup)};
}

Status PutBack(const MovedAside& aside) {
    if (FileExists(aside.path) && !QFile::remove(aside.path))
        return Failure{QStringLiteral("What the run left at \"%1\" could not be removed: the old "
                                      "file is kept as \"%2\".")
                           .arg(aside.path, aside.backup)};
    QFile backup(aside.backup);
    if (backup.rename(aside.path))
        return {};
    return Failure{QStringLiteral("The old file could not be put back (%1): it is kept as \"%2\".")
                       .arg(backup.errorString(), aside.backup)};
}

Status ConfirmOutput(Prompter& ask, const QString& output) {
    const QFileInfo info(output);
    if (info.isDir())
        return Failure{QStringLiteral("\"%1\" is a folder. Enter a file name.").arg(output)};
    if (info.exists() && !info.isFile())
        return Failure{NotRegularMessage(output)};
    if (!info.absoluteDir().exists())
        return Failure{
            QStringLiteral("The folder \"%1\" does not exist.").arg(info.absolutePath())};
    if (FileExists(output) && ask.message(QStringLiteral("File exists. Overwrite?"), {},
                                          Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return Cancelled{};
    return {};
}

QString ToolName(const QString& name, const QString& suffix) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > 0 ? name.left(dot) : name) + suffix;
}

std::optional<FileId> IdOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino, info.st_size,
                  info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

QString FindFile(const QString& folder, const FileId& id) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (IdOf(dir.filePath(name)) == id)
            return dir.filePath(name);
    return {};
}

QStringList RemoveFiles(const QStringList& paths) {
    QStringList left;
    for (const QString& path : paths)
        if (!QFile::remove(path) && QFileInfo::exists(path))
            left.append(path);
    return left;
}

} // namespace kestrix
