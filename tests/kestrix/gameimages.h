// SPDX-License-Identifier: GPL-3.0-or-later
// Game images made by the tests, never real games: random filler with the game's own header
// where its map byte puts it, and the row kestrix shows for each.
#pragma once

#include "core/gameheader.h"

#include <QList>
#include <QRandomGenerator>
#include <bit>

namespace kestrix::test {

struct GameLayout {
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
    quint16 checksum, stored; // the true one, summed over the console's view, and the header's
};

inline MadeImage MakeGameImage(const GameLayout& s) {
    const auto raw = [](std::initializer_list<int> values) {
        QByteArray bytes;
        for (const int v : values)
            bytes += char(v);
        return bytes;
    };
    // Random: a regular filler sums alike in every bank and would hide the interleaving.
    const qsizetype size = qsizetype(s.mbit * 131072), at = (s.map & 15) == 5 ? 0x40ffc0
                                                            : s.map & 1       ? 0xffc0
                                                                              : 0x7fc0;
    QByteArray body(size, '\0');
    QRandomGenerator(quint32(size)).fillRange(reinterpret_cast<quint32*>(body.data()), size / 4);
    const int romSize = std::bit_width(quint64(size - 1) >> 10); // 2^n KiB hold the body
    // The sum counts complement and checksum as FF FF 00 00, which any matching pair adds up to.
    body.replace(
        at, 32,
        QByteArray(s.title).leftJustified(21, ' ') +
            raw({s.map, s.chips, romSize, s.sram, s.country, 0x33, s.version, 0xff, 0xff, 0, 0}));
    body.replace(at + 0x3c, 2, raw({0x00, 0x80})); // reset vector
    // Past the largest power of two the rest repeats until it fills another.
    const qsizetype whole = qsizetype(std::bit_floor(quint64(size)));
    quint16 sum = 0;
    for (qsizetype i = 0; i < whole * (size > whole ? 2 : 1); ++i)
        sum += uchar(body[i < whole ? i : whole + (i - whole) % (size - whole)]);
    const quint16 stored = s.good ? sum : sum ^ 0x1234, complement = stored ^ 0xffff;
    body.replace(at + 0x1c, 4, raw({complement & 255, complement >> 8, stored & 255, stored >> 8}));
    if (s.interleaved) {
        QByteArray swapped;
        for (const int half : {1, 0})
            for (qsizetype bank = 0; bank < size / 0x10000; ++bank)
                swapped += body.mid(bank * 0x10000 + half * 0x8000, 0x8000);
        body = swapped;
    }
    const int units = s.sizeField >= 0 ? s.sizeField : int(size / 8192);
    const QByteArray copier =
        raw({units & 255, units >> 8, s.followed ? 0x4c : 0x0c, 0, 0, 0, 0, 0, 0xaa, 0xbb, 0x04}) +
        QByteArray(501, '\0');
    return {s.copier ? copier + body : body, sum, stored};
}

struct GameRowCase {
    const char* name;
    GameLayout layout;
    QByteArray row;      // after the title, if checked here; {stored}, {computed}: 0x hex
    bool oracle = false; // a whole image the real tool reports on as kestrix does
};

// LoROM, HiROM, ExHiROM and interleaved; 4 to 48 Mbit; good and bad checksums; with and without
// a copier header; a chip; NTSC and PAL; a wrong size field; parts by their header and name.
inline QList<GameRowCase> GameRows() {
    const QByteArray part = "HiROM, SlowROM; no chip; 8 Mbit, no SRAM; USA, NTSC; version 1.0; "
                            "one part of a split";
    return {
        {"LO4.swc", {4, 0x20, "LOROM 4"}, {}, true},
        {"LO10.swc", {10, 0x30, "LOROM 10", true, 0, 3, 0}, {}, true},
        {"HI12.sfc",
         {12, 0x21, "HIROM 12", false, 0, 0, 2, 0, false},
         "HiROM, SlowROM; no chip; 12 Mbit, no SRAM; Europe, PAL; version 1.0; checksum bad "
         "(stored {stored}, computed {computed}); disks: 2 at 8 Mbit, 2 at 11 Mbit; no copier "
         "header",
         true},
        {"DSP8.swc",
         {8, 0x21, "DSP 8", true, 0x05, 1, 9, 2},
         "HiROM, SlowROM; DSP; 8 Mbit, 16 kbit SRAM; Germany, PAL; version 1.2; checksum good; "
         "disks: 1 at 8 Mbit, 1 at 11 Mbit",
         true},
        {"LO24.swc", {24, 0x20, "LOROM 24", true, 0x02, 5, 1, 0, false}, {}, true},
        {"EX48.sfc",
         {48, 0x35, "EXHIROM 48", false},
         "ExHiROM, FastROM; no chip; 48 Mbit, no SRAM; USA, NTSC; version 1.0; checksum good; "
         "disks: 6 at 8 Mbit, 5 at 11 Mbit; no copier header",
         true},
        {"SWAP12.swc", {12, 0x31, "SWAPPED 12", true, 0, 0, 1, 0, true, true}, {}, true},
        {"SIZE8.swc",
         {8, 0x20, "WRONG SIZE", true, 0, 0, 1, 0, true, false, 256},
         "LoROM, SlowROM; no chip; 8 Mbit, no SRAM; USA, NTSC; version 1.0; checksum good; disks: "
         "1 at 8 Mbit, 1 at 11 Mbit; copier header says 16 Mbit"},
        {"PART.swc", {8, 0x21, "PART", true, 0, 0, 1, 0, true, false, -1, true}, part},
        {"PART.3", {8, 0x21, "PART"}, part}};
}

} // namespace kestrix::test
