// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
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

// Bytes 8 to 10 of a copier header.
inline QString HeaderId() {
    return QStringLiteral("AABB04");
}

// How many leading bytes of a file the panel needs.
inline constexpr qsizetype HeaderBytes = 11;

// True when bytes 8 to 10 are the copier header's identifier AA BB 04.
bool CarriesHeaderId(const QByteArray& bytes);

// A name whose last four characters are exactly ".smc" is shown as "---" and never read.
bool IsSmcName(const QString& name);

// The panel for a file's first bytes; nothing (leave the panel as it is) when they do not carry
// the copier header's identifier, short files included.
std::optional<HeaderPanel> DecodeHeader(const QByteArray& bytes);

// Two upper-case hexadecimal digits of a byte.
QString ByteHex(unsigned char byte);

// A quotient of sixteenths as the panel writes it: "16", "6.25", ".5", "0".
QString MbitText(std::int32_t sixteenths);

} // namespace kestrix
