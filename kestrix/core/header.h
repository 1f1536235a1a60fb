// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace kestrix {

// What the header panel shows: Label2 and Label4 to Label8.
struct HeaderPanel {
    QString size;     // Mbit
    QString mode;     // run mode
    QString type;     // image type
    QString sramMap;  // SRAM map mode
    QString dramMap;  // DRAM map mode
    QString sramSize; // SRAM size
};

// How many leading bytes of a file the panel needs.
inline constexpr qsizetype HeaderBytes = 11;

// The copier header's fields, for the panel and for the checks of split parts alike.
struct CopierHeader {
    std::int32_t units = 0; // the image's size in 8 KiB units, sixteen to the Mbit
    QString modeBits;       // byte 2 as eight binary digits, bit 7 first

    bool followed() const { return modeBits[1] == u'1'; } // bit 6: another part follows
    qint64 fileBytes() const { return 512 + 8192LL * units; }
};

// The header of a file's first bytes; nothing when bytes 8 to 10 are not the identifier AA BB 04,
// short files included.
std::optional<CopierHeader> ReadCopierHeader(const QByteArray& bytes);

// True when bytes 8 to 10 are the copier header's identifier AA BB 04.
bool CarriesHeaderId(const QByteArray& bytes);

// A name whose last four characters are exactly ".smc" is shown as "---" and never read.
bool IsSmcName(const QString& name);

// The panel for a file's first bytes; nothing (leave the panel as it is) when they do not carry
// the copier header's identifier, short files included.
std::optional<HeaderPanel> DecodeHeader(const QByteArray& bytes);

// A quotient of sixteenths as the panel writes it: "16", "6.25", ".5", "0".
QString MbitText(std::int32_t sixteenths);

} // namespace kestrix
