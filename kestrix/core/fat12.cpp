// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fat12.h"

#include <QtEndian>

namespace kestrix {

namespace {

constexpr int SectorBytes = 512;
constexpr int RootEntries = 224;
constexpr int FatSectors = 9;
constexpr int RootSector = 1 + 2 * FatSectors; // after the boot sector and the two FATs
constexpr int DataSector = RootSector + RootEntries * 32 / SectorBytes;
constexpr int EntryBytes = 32;

void Put16(QByteArray& bytes, qsizetype at, quint16 value) {
    qToLittleEndian(value, bytes.data() + at);
}
void Put32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}
// Byte by byte, each read bounds-checked by the caller's size test.
quint16 Get16(const QByteArray& bytes, qsizetype at) {
    return static_cast<quint16>(static_cast<quint8>(bytes.at(at)) |
                                static_cast<quint8>(bytes.at(at + 1)) << 8);
}
quint32 Get32(const QByteArray& bytes, qsizetype at) {
    return Get16(bytes, at) | static_cast<quint32>(Get16(bytes, at + 2)) << 16;
}

// Twelve bits per cluster, two clusters in three bytes.
void SetFat(QByteArray& image, qsizetype fat, int cluster, quint16 value) {
    char* at = image.data() + fat + cluster + cluster / 2;
    if (cluster % 2 == 0) {
        at[0] = static_cast<char>(value & 0xff);
        at[1] = static_cast<char>((at[1] & 0xf0) | (value >> 8));
    } else {
        at[0] = static_cast<char>((at[0] & 0x0f) | ((value & 0x0f) << 4));
        at[1] = static_cast<char>(value >> 4);
    }
}
int GetFat(const QByteArray& image, qsizetype fat, int cluster) {
    const int pair = Get16(image, fat + cluster + cluster / 2);
    return cluster % 2 == 0 ? pair & 0xfff : pair >> 4;
}

// DOS keeps local time in two 16-bit words, from 1980 to 2107, seconds halved.
quint16 DosDate(const QDate& d) {
    return static_cast<quint16>((d.year() - 1980) << 9 | d.month() << 5 | d.day());
}
quint16 DosTime(const QTime& t) {
    return static_cast<quint16>(t.hour() << 11 | t.minute() << 5 | t.second() / 2);
}
QDateTime FromDos(quint16 date, quint16 time) {
    return QDateTime(QDate(1980 + (date >> 9), (date >> 5) & 15, date & 31),
                     QTime(time >> 11, (time >> 5) & 63, (time & 31) * 2));
}

QByteArray Padded(const QString& text, int length) {
    return text.toLatin1().leftJustified(length, ' ', true);
}

// "GAME" and "1" of "GAME.1", as the directory holds them.
QString EntryName(const QByteArray& entry) {
    QByteArray base = entry.left(8);
    if (base[0] == '\x05') // a name that begins with E5, which marks deleted entries
        base[0] = '\xe5';
    const QString name = QString::fromLatin1(base).trimmed();
    const QString ext = QString::fromLatin1(entry.mid(8, 3)).trimmed();
    return ext.isEmpty() ? name : name + u'.' + ext;
}

Failure NoDisk(const QString& why) {
    return {QStringLiteral("it is not a 1.44 MB FAT12 disk image (%1)").arg(why)};
}

} // namespace

QString DosName(const QString& name, int length) {
    QString dos;
    for (const QChar c : name) {
        const char16_t u = c.toUpper().unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'-')
            dos.append(QChar(u));
        if (dos.size() == length)
            break;
    }
    return dos.isEmpty() ? QStringLiteral("GAME") : dos;
}

Result<QByteArray> MakeFloppyImage(const QString& label, const DiskFile& file) {
    if (file.bytes.size() > FloppyImageRoom)
        return Failure{QStringLiteral("%1 holds %2 bytes, more than a 1.44 MB disk takes.")
                           .arg(file.name)
                           .arg(file.bytes.size())};
    QByteArray image(FloppyImageBytes, '\0');
    // The boot sector with its parameter block; the code only halts, the disk is no system disk.
    image.replace(0, 11, "\xeb\x3c\x90KESTRIX ");
    Put16(image, 11, SectorBytes);
    image[13] = 1; // sectors per cluster
    Put16(image, 14, 1);
    image[16] = 2;
    Put16(image, 17, RootEntries);
    Put16(image, 19, 2880);
    image[21] = '\xf0';
    Put16(image, 22, FatSectors);
    Put16(image, 24, 18);
    Put16(image, 26, 2);
    image[38] = 0x29;
    const QDateTime when = file.modified.isValid() ? file.modified : QDateTime::currentDateTime();
    const QDateTime stamp = std::clamp(when, QDateTime(QDate(1980, 1, 1), QTime(0, 0)),
                                       QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58)));
    const quint16 date = DosDate(stamp.date()), time = DosTime(stamp.time());
    Put32(image, 39, static_cast<quint32>(date) << 16 | time); // serial number
    image.replace(43, 11, Padded(label, 11));
    image.replace(54, 8, "FAT12   ");
    image.replace(62, 5, "\xcd\x18\xf4\xeb\xfd");
    image.replace(510, 2, "\x55\xaa");

    const int clusters = static_cast<int>((file.bytes.size() + SectorBytes - 1) / SectorBytes);
    for (const qsizetype fat : {SectorBytes, SectorBytes * (1 + FatSectors)}) {
        SetFat(image, fat, 0, 0xff0);
        SetFat(image, fat, 1, 0xfff);
        for (int c = 2; c < clusters + 2; ++c)
            SetFat(image, fat, c, c == clusters + 1 ? 0xfff : c + 1);
    }
    const qsizetype root = RootSector * SectorBytes;
    image.replace(root, 11, Padded(label, 11));
    image[root + 11] = 0x08;
    Put16(image, root + 22, time);
    Put16(image, root + 24, date);
    const qsizetype entry = root + EntryBytes;
    image.replace(entry, 8, Padded(file.name.section(u'.', 0, 0), 8));
    image.replace(entry + 8, 3, Padded(file.name.section(u'.', 1), 3));
    image[entry + 11] = 0x20; // archive
    Put16(image, entry + 14, time);
    Put16(image, entry + 16, date);
    Put16(image, entry + 18, date);
    Put16(image, entry + 22, time);
    Put16(image, entry + 24, date);
    Put16(image, entry + 26, clusters ? 2 : 0);
    Put32(image, entry + 28, static_cast<quint32>(file.bytes.size()));
    image.replace(DataSector * SectorBytes, file.bytes.size(), file.bytes);
    return image;
}

Result<QList<DiskFile>> ReadFloppyImage(const QByteArray& image) {
    if (image.size() != FloppyImageBytes)
        return NoDisk(QStringLiteral("%1 bytes, not 1,474,560").arg(image.size()));
    const auto byte = [&](qsizetype at) { return static_cast<uchar>(image[at]); };
    if (!(byte(0) == 0xeb && byte(2) == 0x90) && byte(0) != 0xe9)
        return NoDisk(QStringLiteral("no boot sector"));
    const int sectorBytes = Get16(image, 11), perCluster = byte(13), reserved = Get16(image, 14);
    const int fats = byte(16), rootEntries = Get16(image, 17), fatSectors = Get16(image, 22);
    const qint64 sectors = Get16(image, 19) ? Get16(image, 19) : Get32(image, 32);
    if (sectorBytes != SectorBytes || sectors * SectorBytes != FloppyImageBytes ||
        perCluster == 0 || (perCluster & (perCluster - 1)) != 0 || reserved == 0 || fats == 0 ||
        rootEntries == 0 || fatSectors == 0)
        return NoDisk(QStringLiteral("its parameter block describes another disk"));
    const qint64 rootSector = reserved + qint64(fats) * fatSectors;
    const qint64 dataSector =
        rootSector + (rootEntries * EntryBytes + SectorBytes - 1) / SectorBytes;
    if (dataSector >= sectors)
        return NoDisk(QStringLiteral("its parameter block leaves no room for files"));
    const int clusters = static_cast<int>((sectors - dataSector) / perCluster);
    if (clusters >= 4085 || (clusters + 2) * 3 / 2 + 1 > fatSectors * SectorBytes)
        return NoDisk(QStringLiteral("its allocation table is not FAT12"));
    const qsizetype fat = reserved * SectorBytes;
    const qint64 clusterBytes = qint64(perCluster) * SectorBytes;

    QList<DiskFile> files;
    for (int i = 0; i < rootEntries; ++i) {
        const QByteArray entry = image.mid(rootSector * SectorBytes + i * EntryBytes, EntryBytes);
        const auto first = static_cast<uchar>(entry[0]);
        const auto attributes = static_cast<uchar>(entry[11]);
        if (first == 0)
            break;                                     // no entry follows the first unused one
        if (first == 0xe5 || (attributes & 0x18) != 0) // deleted, label, long name, folder
            continue;
        DiskFile file{EntryName(entry), {}, FromDos(Get16(entry, 24), Get16(entry, 22))};
        qint64 remaining = Get32(entry, 28);
        if (remaining > clusters * clusterBytes)
            return NoDisk(QStringLiteral("%1 is larger than the disk").arg(file.name));
        file.bytes.reserve(remaining);
        int cluster = Get16(entry, 26);
        QList<bool> seen(clusters + 2, false); // a chain that comes back on itself
        while (remaining > 0) {
            if (cluster < 2 || cluster >= clusters + 2 || seen[cluster])
                return NoDisk(QStringLiteral("the clusters of %1 are broken").arg(file.name));
            seen[cluster] = true;
            const qint64 take = std::min(remaining, clusterBytes);
            file.bytes.append(
                image.mid((dataSector + qint64(cluster - 2) * perCluster) * SectorBytes, take));
            remaining -= take;
            cluster = GetFat(image, fat, cluster);
        }
        files.append(file);
    }
    return files;
}

} // namespace kestrix
