// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrix {

// A set's first part: the name ends in exactly ".1".
bool IsFirstPart(const QString& name);

// The first part's name without ".1".
QString PartBase(const QString& firstPart);

// base + "." + number, the number in plain decimal.
QString PartName(const QString& base, int number);

// What Join says of a file that is not the first part of a set.
QString NotFirstPartMessage();

// A part of a split set as its copier header describes it.
struct PartInfo {
    QString name;
    qint64 bytes = 0;        // the file's size
    qint64 headerBytes = -1; // 512 + 8192 × the header's size; -1 without a copier header
    bool followed = false;   // bit 6 of the mode byte: another part follows this one
};

// The part at path; nothing when there is no file.
std::optional<PartInfo> ReadPart(const QString& path);

// The tool reports success whatever it wrote, so the parts of a split are checked by size: each
// holds what its header says, and their bodies add up to the image's body.
Status CheckSplitParts(const QString& folder, const QStringList& parts, qint64 imageBodyBytes);

// A set from its first part upwards, as the tool would join it.
struct PartSet {
    QList<PartInfo> parts;
    bool complete = false; // it ends in a part whose header says none follows
    QStringList beyond;    // parts after the last one that the tool would join in too

    // What the joined image must hold.
    qint64 joinedBytes() const;
};

// Fails, naming the file, for a part without a copier header or holding less than its header
// says.
Result<PartSet> ReadPartSet(const QString& folder, const QString& base);

QString IncompleteSetQuestion(const QString& lastPart);
QString PartsBeyondMessage(const QStringList& beyond, const QString& lastPart);

} // namespace kestrix
