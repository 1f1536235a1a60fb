// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace kestrix {

// Binary digits of n's magnitude, most significant first, no leading zeros ("" for 0).
QString Dec2Bin(std::int32_t n);

// Hexadecimal text to a number, either letter case; any other character counts as a 0 digit in
// its position. A value past 2147483647 gives 2147483647.
std::int32_t HextoDec(const QString& Hexnum);

// Hexnum padded on the left with "0" to Amount characters; a longer text comes back unchanged.
QString FillHex(const QString& Hexnum, std::int32_t Amount);

} // namespace kestrix
