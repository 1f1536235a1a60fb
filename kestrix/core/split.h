// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cmdline.h"
#include "core/operation.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace kestrix {

// The most a 1.44 MB disk holds, in Mbit; the limit itself is allowed.
inline constexpr double FloppyPartLimit = 11;

// The destination lies on the floppy when it begins with exactly "A:" ("a:\" does not).
bool IsFloppyDestination(const QString& destination);

// The number the size answer begins with, blanks anywhere ignored, fractions counted; 0 when
// it begins with no number.
double SizeValue(const QString& answer);

// What the tool gets for the size: the answer with its spaces removed.
QString SizeOption(const QString& answer);

// "ucon64 -s --ssize=SIZE", the quoted image path and " -o=" with the quoted output folder.
QString SplitToolLine(const QString& size, const QString& folder, const QString& name,
                      const QString& outputFolder, QChar separator = hostSeparator());

// Size and modification time of each file, so a run's new or rewritten files can be told apart
// from what lay there before.
struct FileStamp {
    qint64 size = -1;
    qint64 modified = -1; // ms since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
using FolderStamps = QHash<QString, FileStamp>;

// Every plain, visible file of the folder.
FolderStamps StampFiles(const QString& folder);

// The names that are new or changed in after, in part-number order.
QStringList WrittenFiles(const FolderStamps& before, const FolderStamps& after);

// NAME.2 before NAME.10: a numeric last suffix compares as a number.
bool PartNumberLess(const QString& a, const QString& b);

QString NoPartsMessage(const QString& folder);
QString HeaderlessSplitMessage(const QString& name);
QString DiskPrompt();
QString DiskCopyFailedMessage(const QString& reason);
QString MissingFolderMessage(const QString& destination);
QString DiskCopyStoppedMessage(const QStringList& remaining, const QString& stagingFolder);

// "Split": asks where to and how big, lets the tool write the parts, checks them by size and, for
// the floppy, copies them onto disks, one part per disk. Tells the user every outcome.
void Split(const Operation& op, const QString& folder, const QString& name);

// The floppy write probe, repeated until it succeeds; false when the user gives up.
bool CheckDisk(const Operation& op);

// One part per disk, a prompt before each; a part leaves staging once it is whole on its disk.
// False when the user stopped, the rest of the parts staying in staging.
bool CopyToDisks(const Operation& op, const QString& stagingFolder, const QStringList& parts,
                 const QString& destination);

} // namespace kestrix
