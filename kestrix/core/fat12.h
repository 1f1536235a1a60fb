// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace kestrix {

// A 1.44 MB floppy disk as an image file: 2,880 sectors of 512 bytes.
inline constexpr qint64 FloppyImageBytes = 2880 * 512;
// What one file on such a disk may hold: its 2,847 data clusters of one sector.
inline constexpr qint64 FloppyImageRoom = 2847 * 512;

struct DiskFile {
    QString name; // 8.3, as the directory holds it: "GAME.1"
    QByteArray bytes;
    QDateTime modified;
};

// A blank 1.44 MB FAT12 disk laid out as DOS formats one, holding one file under an 8.3 name in
// contiguous clusters, with no long-name entries: the copier's loader asks for that very name.
// Fails for a file too big for the disk.
Result<QByteArray> MakeFloppyImage(const QString& label, const DiskFile& file);

// The files in the root folder of a 1.44 MB FAT12 disk image, any formatter's, in directory
// order; deleted entries, the volume label, long names and folders are passed over. Fails for
// bytes that are no such disk, or whose directory points outside it.
Result<QList<DiskFile>> ReadFloppyImage(const QByteArray& image);

// A DOS name part from any name: its letters A to Z (upper-cased), digits, "_" and "-", cut to
// length; GAME when nothing is left.
QString DosName(const QString& name, int length);

} // namespace kestrix
