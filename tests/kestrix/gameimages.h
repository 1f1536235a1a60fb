// SPDX-License-Identifier: GPL-3.0-or-later
// Game images made by the tests, never real games: a filler body with the game's own header
// where its map byte puts it, and the row kestrix shows for each.
#pragma once

#include "core/gameheader.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace kestrix::test {

struct GameSpec {
    double mbit;
    quint8 map; // 0x?0 LoROM, 0x?1 HiROM, 0x?5 ExHiROM; 0x10 FastROM
    const char* title;
    bool copier = true;
    quint8 chips = 0, sram = 0, country = 1, version = 0;
    bool good = true;         // else the stored checksum is off by 0x1234
    bool interleaved = false; // the banks' 32 KiB halves apart, upper halves first
    int sizeField = -1;       // the copier header's, in 8 KiB units; -1: the body's
    bool followed = false;    // the copier header says another part follows
};

struct MadeImage {
    QByteArray bytes;
    quint16 checksum; // the true one, summed over the console's view of the ROM
    quint16 stored;
};

inline MadeImage MakeGameImage(const GameSpec& s) {
    const qsizetype size = static_cast<qsizetype>(s.mbit * 131072);
    // Random filler: a regular one sums alike in every bank and would hide the interleaving.
    QByteArray body(size, '\0');
    QRandomGenerator(static_cast<quint32>(size))
        .fillRange(reinterpret_cast<quint32*>(body.data()), size / 4);
    const qsizetype at = (s.map & 0x0f) == 5 ? 0x40ffc0 : (s.map & 1) ? 0xffc0 : 0x7fc0;
    int romSize = 1;
    while ((qsizetype(1024) << romSize) < size)
        ++romSize;
    body.replace(at - 16, 6, "01KTST");
    body.replace(at, 21, QByteArray(s.title).leftJustified(21, ' '));
    const char fields[] = {static_cast<char>(s.map),
                           static_cast<char>(s.chips),
                           static_cast<char>(romSize),
                           static_cast<char>(s.sram),
                           static_cast<char>(s.country),
                           '\x33',
                           static_cast<char>(s.version),
                           '\xff',
                           '\xff',
                           '\0',
                           '\0'};
    body.replace(at + 21, sizeof fields, QByteArray(fields, sizeof fields));
    body.replace(at + 0x3c, 2, QByteArray("\x00\x80", 2)); // reset vector $8000

    // The console's view: past the largest power of two the rest repeats until it fills another.
    qsizetype whole = 1;
    while (whole * 2 <= size)
        whole *= 2;
    QByteArray view = body.left(whole);
    while (size > whole && view.size() < 2 * whole)
        view += body.mid(whole).left(2 * whole - view.size());
    quint16 sum = 0;
    for (const char c : view)
        sum = static_cast<quint16>(sum + static_cast<uchar>(c));
    const quint16 stored = s.good ? sum : sum ^ 0x1234;
    const quint16 complement = stored ^ 0xffff;
    const char check[] = {static_cast<char>(complement & 0xff), static_cast<char>(complement >> 8),
                          static_cast<char>(stored & 0xff), static_cast<char>(stored >> 8)};
    body.replace(at + 0x1c, 4, QByteArray(check, 4));

    if (s.interleaved) {
        QByteArray swapped;
        for (qsizetype bank = 0; bank < size / 0x10000; ++bank)
            swapped += body.mid(bank * 0x10000 + 0x8000, 0x8000);
        for (qsizetype bank = 0; bank < size / 0x10000; ++bank)
            swapped += body.mid(bank * 0x10000, 0x8000);
        body = swapped;
    }
    if (!s.copier)
        return {body, sum, stored};
    const int units = s.sizeField >= 0 ? s.sizeField : static_cast<int>(size / 8192);
    QByteArray header(512, '\0');
    header[0] = static_cast<char>(units & 0xff);
    header[1] = static_cast<char>(units >> 8);
    header[2] = s.followed ? '\x4c' : '\x0c';
    header.replace(8, 3, "\xaa\xbb\x04");
    return {header + body, sum, stored};
}

struct GameRowCase {
    const char* name;
    GameSpec spec;
    const char* row; // {stored} and {computed}: the checksums as 0x hex
    bool oracle;     // a whole, plausible image the real tool reports on as kestrix does
};

// LoROM, HiROM and ExHiROM; 4 to 48 Mbit, whole powers of two and not; good and bad checksums;
// with and without a copier header; a chip; NTSC and PAL; a wrong size field; parts.
inline QList<GameRowCase> GameRows() {
    return {
        {"LO4.swc",
         {4, 0x20, "KESTRIX LOROM 4"},
         "KESTRIX LOROM 4; LoROM, SlowROM; no chip; 4 Mbit, no SRAM; USA, NTSC; version 1.0; "
         "checksum good; disks: 1 at 8 Mbit, 1 at 11 Mbit",
         true},
        {"LO10.swc",
         {10, 0x30, "KESTRIX LOROM 10", true, 0, 3, 0},
         "KESTRIX LOROM 10; LoROM, FastROM; no chip; 10 Mbit, 64 kbit SRAM; Japan, NTSC; version "
         "1.0; checksum good; disks: 2 at 8 Mbit, 1 at 11 Mbit",
         true},
        {"HI12.sfc",
         {12, 0x21, "KESTRIX HIROM 12", false, 0, 0, 2, 0, false},
         "KESTRIX HIROM 12; HiROM, SlowROM; no chip; 12 Mbit, no SRAM; Europe, PAL; version 1.0; "
         "checksum bad (stored {stored}, computed {computed}); disks: 2 at 8 Mbit, 2 at 11 Mbit; "
         "no copier header",
         true},
        {"DSP8.swc",
         {8, 0x21, "KESTRIX DSP 8", true, 0x05, 1, 9, 2},
         "KESTRIX DSP 8; HiROM, SlowROM; DSP; 8 Mbit, 16 kbit SRAM; Germany, PAL; version 1.2; "
         "checksum good; disks: 1 at 8 Mbit, 1 at 11 Mbit",
         true},
        {"LO24.swc",
         {24, 0x20, "KESTRIX LOROM 24", true, 0x02, 5, 1, 0, false},
         "KESTRIX LOROM 24; LoROM, SlowROM; no chip; 24 Mbit, 256 kbit SRAM; USA, NTSC; version "
         "1.0; checksum bad (stored {stored}, computed {computed}); disks: 3 at 8 Mbit, 3 at 11 "
         "Mbit",
         true},
        {"EX48.sfc",
         {48, 0x35, "KESTRIX EXHIROM 48", false},
         "KESTRIX EXHIROM 48; ExHiROM, FastROM; no chip; 48 Mbit, no SRAM; USA, NTSC; version "
         "1.0; checksum good; disks: 6 at 8 Mbit, 5 at 11 Mbit; no copier header",
         true},
        {"SWAP12.swc",
         {12, 0x31, "KESTRIX SWAPPED 12", true, 0, 0, 1, 0, true, true},
         "KESTRIX SWAPPED 12; HiROM (interleaved), FastROM; no chip; 12 Mbit, no SRAM; USA, "
         "NTSC; version 1.0; checksum good; disks: 2 at 8 Mbit, 2 at 11 Mbit",
         true},
        {"SIZE8.swc",
         {8, 0x20, "KESTRIX WRONG SIZE", true, 0, 0, 1, 0, true, false, 256},
         "KESTRIX WRONG SIZE; LoROM, SlowROM; no chip; 8 Mbit, no SRAM; USA, NTSC; version 1.0; "
         "checksum good; disks: 1 at 8 Mbit, 1 at 11 Mbit; copier header says 16 Mbit",
         false},
        {"PART.swc",
         {8, 0x21, "KESTRIX PART", true, 0, 0, 1, 0, false, false, -1, true},
         "KESTRIX PART; HiROM, SlowROM; no chip; 8 Mbit, no SRAM; USA, NTSC; version 1.0; one "
         "part of a split",
         false},
        {"GAME.3",
         {4, 0x20, "KESTRIX LAST PART"},
         "KESTRIX LAST PART; LoROM, SlowROM; no chip; 4 Mbit, no SRAM; USA, NTSC; version 1.0; "
         "one part of a split",
         false},
    };
}

} // namespace kestrix::test
