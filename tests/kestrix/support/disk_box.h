// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

namespace kestrix::test {

// A floppy drive (a folder) and a box of numbered disks (folders beside it). Inserting a disk
// puts the one in the drive back into the box first; a disk never seen before is blank.
class DiskBox {
public:
    DiskBox(const QString& drive, const QString& box) : drive_(drive), box_(box) {}

    void insert(int disk) {
        eject();
        moveFiles(diskFolder(disk), drive_);
        inDrive_ = disk;
    }
    void eject() {
        moveFiles(drive_, diskFolder(inDrive_));
        inDrive_ = 0;
    }
    // The files on a disk in the box.
    QStringList files(int disk) const {
        return QDir(diskFolder(disk)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString diskFolder(int disk) const { return box_ + QStringLiteral("/disk%1").arg(disk); }

private:
    static void moveFiles(const QString& from, const QString& to) {
        QDir().mkpath(to);
        // A copy where the drive is a volume of its own.
        for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden))
            QFile::rename(from + u'/' + name, to + u'/' + name);
    }

    QString drive_, box_;
    int inDrive_ = 0; // 0: whatever lay in the drive at the start
};

// A copier image: a 512-byte header (size in 8 KiB units, bit 6 of byte 2 clear, AA BB 04)
// and a body of the given size whose bytes differ from part to part. A body of 32 KiB or more is
// a LoROM image the real tool recognises, with code the slow-ROM and PAL/NTSC fixes patch.
inline QByteArray RomImage(qsizetype bodyBytes) {
    QByteArray header(512, '\0');
    header[0] = static_cast<char>((bodyBytes / 8192) & 0xff);
    header[1] = static_cast<char>((bodyBytes / 8192 >> 8) & 0xff);
    header[2] = '\x0c';
    header[8] = '\xaa';
    header[9] = '\xbb';
    header[10] = '\x04';
    QByteArray body(bodyBytes, '\0');
    for (qsizetype i = 0; i < bodyBytes; ++i)
        body[i] = static_cast<char>((i * 7 + i / 65536) & 0xff);
    if (bodyBytes >= 0x8000) {
        body.replace(0x7fc0, 21, "KESTRIX TEST IMAGE   ");
        body.replace(0x7fd5, 11, QByteArray::fromHex("20000b00013300ffff0000")); // LoROM, U.S.A.
        body.replace(0x1000, 5, QByteArray::fromHex("a9018d0d42"));   // lda #1; sta $420d
        body.replace(0x2000, 6, QByteArray::fromHex("ad3f212910d0")); // a PAL/NTSC check
    }
    return header + body;
}

inline constexpr qsizetype Mbit = 131072;

// A part of a split whose header says whether another follows: '+' followed, '.' last,
// 's' cut short, 'n' without a copier header.
inline QByteArray PartBytes(char kind, qsizetype bodyBytes = Mbit) {
    QByteArray part = RomImage(bodyBytes);
    if (kind == '+')
        part[2] = static_cast<char>(part[2] | 0x40);
    if (kind == 's')
        part.chop(1000);
    if (kind == 'n')
        part[9] = 0;
    return part;
}

} // namespace kestrix::test
