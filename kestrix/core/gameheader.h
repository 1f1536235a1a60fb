// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <functional>

class QIODevice;

namespace kestrix {

// Where the cartridge's own header lies in the image, which is how the console maps the ROM.
enum class Mapping { LoRom, HiRom, ExHiRom };

// The cartridge's own 64-byte header, as the game's maker wrote it.
struct GameHeader {
    QString title;
    Mapping mapping = Mapping::LoRom;
    bool interleaved = false; // HiROM stored with its 32 KiB halves apart, as some copiers keep it
    quint8 map = 0;           // speed (0x10: FastROM, 120 ns) and mapping
    quint8 chips = 0;         // cartridge type: battery, RAM and coprocessor
    quint8 romSize = 0;       // 2^n KiB
    quint8 sramSize = 0;      // 2^n KiB; 0 none
    quint8 country = 0;
    quint8 maker = 0;
    quint8 version = 0;
    quint16 complement = 0;
    quint16 checksum = 0;
};

// An image file as far as its header says: the copier's header, the game's header found in the
// body after it, and whether it is one part of a split.
struct GameImage {
    GameHeader game;
    qint64 fileBytes = 0;
    qint64 copierBytes = 0;     // 512 with a copier header, else 0
    qint64 sizeFieldBytes = -1; // the body the copier header's size field claims; -1 without
    bool part = false;          // another part follows, or the name ends in a part number

    qint64 bodyBytes() const { return fileBytes - copierBytes; }
};

// count bytes from offset; the decoder never asks for bytes past the file's end.
using ReadAt = std::function<QByteArray(qint64 offset, qint64 count)>;

// The image from the few bytes its headers take. Fails for a file that holds no plausible game
// header in any of the places one can lie (the file is no game image).
Result<GameImage> DecodeGameImage(const QString& name, qint64 fileBytes, const ReadAt& read);
Result<GameImage> ReadGameImage(const QString& path);

// What the game's header should hold as its checksum: the 16-bit sum of the body, in the order
// the console sees it, where a body that is no power of two has its part beyond the largest one
// counted as often as it fits into it (10 Mbit: 8 Mbit once and 2 Mbit four times). Fails when
// stop() answers true between reads, or the device ends early.
Result<quint16> ImageChecksum(QIODevice& device, const GameImage& image,
                              const std::function<bool()>& stop);

// The checksum of the file at path, computed on a thread of the pool; cancelling the future
// stops the read at its next block.
QFuture<Result<quint16>> StartChecksum(const QString& path, const GameImage& image);

// The row under the header panel: title, mapping and speed, chips, sizes, country and its TV
// system, version, the checksum's verdict and the disks a split takes. Without a computed
// checksum it says the check is still running.
QString GameRow(const GameImage& image);
QString GameRow(const GameImage& image, const Result<quint16>& computed);

} // namespace kestrix
