// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/parts.h"

#include "core/files.h"
#include "core/fileslot.h"
#include "core/header.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrix {

namespace {

constexpr qint64 CopierHeaderBytes = 512;

// "GAME.2 holds 405,504 of 1,049,088 bytes", or nothing when the part is whole.
QString Shortfall(const PartInfo& part) {
    if (part.bytes < CopierHeaderBytes)
        return QStringLiteral("%1 holds %2 bytes, less than its 512-byte header")
            .arg(part.name, BytesText(part.bytes));
    if (part.bytes < part.headerBytes)
        return QStringLiteral("%1 holds %2 of %3 bytes")
            .arg(part.name, BytesText(part.bytes), BytesText(part.headerBytes));
    return {};
}

} // namespace

bool IsFirstPart(const QString& name) {
    return name.endsWith(QLatin1String(".1"), Qt::CaseSensitive);
}

QString PartBase(const QString& firstPart) {
    return firstPart.chopped(2);
}

QString PartName(const QString& base, int number) {
    return base + u'.' + QString::number(number);
}

QString NotFirstPartMessage() {
    return QStringLiteral("It seems that either the selected file is not a properly split file "
                          "or you didn't select a '.1' file.");
}

std::optional<PartInfo> ReadPart(const QString& path) {
    QFile file;
    if (!OpenRegular(file, path))
        return std::nullopt;
    PartInfo part{QFileInfo(path).fileName(), file.size()};
    if (const std::optional<CopierHeader> header = ReadCopierHeader(file.read(HeaderBytes))) {
        part.headerBytes = header->fileBytes();
        part.followed = header->followed();
    }
    return part;
}

Status CheckSplitParts(const QString& folder, const QStringList& parts, qint64 imageBodyBytes) {
    QStringList problems;
    qint64 bodies = 0;
    for (const QString& name : parts) {
        const PartInfo part = ReadPart(QDir(folder).filePath(name)).value_or(PartInfo{name});
        if (const QString shortfall = Shortfall(part); !shortfall.isEmpty())
            problems.append(shortfall);
        bodies += std::max<qint64>(part.bytes - CopierHeaderBytes, 0);
    }
    if (problems.isEmpty() && bodies != imageBodyBytes)
        problems.append(QStringLiteral("the parts hold %1 of the image's %2 bytes")
                            .arg(BytesText(bodies), BytesText(imageBodyBytes)));
    if (problems.isEmpty())
        return {};
    return Failure{QStringLiteral("ucon64 did not write the whole split: %1.")
                       .arg(problems.join(QStringLiteral("; ")))};
}

qint64 PartSet::joinedBytes() const {
    qint64 bytes = CopierHeaderBytes;
    for (const PartInfo& part : parts)
        bytes += part.bytes - CopierHeaderBytes;
    return bytes;
}

Result<PartSet> ReadPartSet(const QString& folder, const QString& base) {
    const QDir dir(folder);
    PartSet set;
    // The tool names at most nine parts; the bound only keeps a strange folder finite.
    for (int number = 1; number < 100 && !set.complete; ++number) {
        const std::optional<PartInfo> part = ReadPart(dir.filePath(PartName(base, number)));
        if (!part)
            break;
        if (part->headerBytes < 0)
            return Failure{number == 1 ? NotFirstPartMessage()
                                       : QStringLiteral("%1 has no copier header, so it is not "
                                                        "a part of this set.")
                                             .arg(part->name)};
        if (const QString shortfall = Shortfall(*part); !shortfall.isEmpty())
            return Failure{shortfall + QStringLiteral(": the part is incomplete.")};
        set.parts.append(*part);
        set.complete = !part->followed;
    }
    if (set.parts.isEmpty())
        return Failure{NotFirstPartMessage()};
    if (set.complete)
        for (int number = set.parts.size() + 1;
             QFileInfo(dir.filePath(PartName(base, number))).isFile(); ++number)
            set.beyond.append(PartName(base, number));
    return set;
}

QString IncompleteSetQuestion(const QString& lastPart) {
    return QStringLiteral("%1 is not the last part of its set. Join without the rest?")
        .arg(lastPart);
}

QString PartsBeyondMessage(const QStringList& beyond, const QString& lastPart) {
    return QStringLiteral("%1 would be joined in as well, but %2 is the last part of the set. Move "
                          "them elsewhere and try again.")
        .arg(beyond.join(QStringLiteral(", ")), lastPart);
}

} // namespace kestrix
