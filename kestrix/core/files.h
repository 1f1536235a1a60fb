// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kestrix {

// The write probe: creates, closes and deletes the probe file. A file already there is the
// user's and stays; a probe under a free name beside it tests the disk instead.
bool ProbeDisk(const QString& probePath);

// A byte count as the messages write it: 1,049,088.
QString BytesText(qint64 bytes);

enum class CopyMode {
    Beside,  // an old target stays whole until the new copy is complete beside it
    InPlace, // an old target is overwritten, for a disk without room for both
};

// Told before each block the bytes copied so far; false stops the copy between blocks.
using CopyStep = std::function<bool(qint64 done)>;

// Copies every byte and syncs the copy to its medium, or leaves no partial copy behind. The
// failure names both files, the bytes written of the total and the system's reason; a step that
// says stop gives Cancelled.
Status CopyFile(const QString& from, const QString& to, CopyMode mode = CopyMode::Beside,
                const CopyStep& step = {});

// Writes the bytes under a temporary name beside the path, synced, and renames them into place;
// on failure nothing is left and the file and the system's reason are named.
Status WriteWholeFile(const QString& path, const QByteArray& bytes);

// How a file goes onto a disk that may hold an old file of the same name (oldBytes -1: none),
// counting whole blocks.
enum class Placement { Beside, InPlace, NoRoom };
Placement PlaceOnDisk(qint64 bytes, qint64 oldBytes, qint64 freeBytes, qint64 blockBytes);

// A copy onto a removable disk: the room is checked before anything is written, and the whole
// volume is synced afterwards, so the disk can be taken out.
Status CopyOntoDisk(const QString& from, const QString& to, const CopyStep& step = {});

// A copy of total bytes to or from a floppy, which takes tens of seconds: it runs on a thread of
// its own while the window's event loop runs, shown in op.progress, whose Cancel stops it.
struct Operation;
Status CopyAside(const Operation& op, const QString& text, qint64 total,
                 const std::function<Status(const CopyStep&)>& copy);

// Something is at the literal path: a file, a folder, or a link, dangling ones too (renaming
// onto it would replace it).
bool FileExists(const QString& path);

// A file of the user's kept under a free name beside it while a run may replace it, so it can
// come back if the run brings nothing.
struct MovedAside {
    QString path;
    QString backup;
};
Result<MovedAside> MoveAside(const QString& path);
// The run delivered: the old file goes.
Status Discard(const MovedAside& aside);
// The run brought nothing: what it left at the path goes and the old file comes back.
Status PutBack(const MovedAside& aside);

// A path typed for a file to be written: a file name in a folder that exists, not a folder, pipe
// or device; an existing file is replaced only when the user says so (else Cancelled).
class Prompter;
Status ConfirmOutput(Prompter& ask, const QString& output);

// Deletes the files; those that could not be deleted.
[[nodiscard]] QStringList RemoveFiles(const QStringList& paths);
QString NotRemovedMessage(const QStringList& paths);

// Makes the folder the working folder, where the tool runs.
Status EnterFolder(const QString& folder);

// The name with its last suffix replaced, as the tool names what it writes: GAME.SWC keeps its
// backup as GAME.bak, splits into GAME.1 and joins into GAME.tmp. A leading dot is no suffix.
QString ToolName(const QString& name, const QString& suffix);

// Which file a path holds: the tool keeps a backup by renaming the original, so the same file
// can be found again under another name, and a rewritten one told apart.
struct FileId {
    quint64 device = 0, inode = 0;
    qint64 size = -1, modified = 0; // modified in nanoseconds
    friend bool operator==(const FileId&, const FileId&) = default;
};
// Nothing for a path that holds no regular file.
std::optional<FileId> IdOf(const QString& path);
// The regular file in the folder that is this very file, wherever it was renamed to; empty
// when it is gone or was changed.
QString FindFile(const QString& folder, const FileId& id);

} // namespace kestrix
