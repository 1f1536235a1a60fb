// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tool/cmdline.h"

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

FolderStamps StampFiles(const QString& folder, const QStringList& names);

// The names that are new or changed in after, in part-number order.
QStringList WrittenFiles(const FolderStamps& before, const FolderStamps& after);

// NAME.2 before NAME.10: a numeric last suffix compares as a number.
bool PartNumberLess(const QString& a, const QString& b);

QString NoPartsMessage();
QString DiskCopyFailedMessage(const QString& part, const QString& target, const QString& reason);
QString DiskCopyStoppedMessage(const QStringList& remaining, const QString& stagingFolder);

} // namespace kestrix
