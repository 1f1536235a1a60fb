// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numbers.h"

#include <cmath>
#include <limits>

namespace kestrix {

QString Dec2Bin(std::int32_t n) {
    QString digits;
    while (n != 0) {
        digits.prepend(n % 2 != 0 ? u'1' : u'0');
        n /= 2;
    }
    return digits;
}

std::int32_t HextoDec(const QString& Hexnum) {
    constexpr double limit = std::numeric_limits<std::int32_t>::max();
    const qsizetype length = Hexnum.size();
    double value = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = Hexnum[i].toUpper().unicode();
        int digit = 0;
        if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        if (digit == 0)
            continue; // 0 times an overflowing weight would be NaN
        value += digit * std::pow(16.0, static_cast<double>(length - 1 - i));
        if (value > limit)
            return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

QString FillHex(const QString& Hexnum, std::int32_t Amount) {
    if (Amount <= Hexnum.size())
        return Hexnum;
    return QString(Amount - Hexnum.size(), u'0') + Hexnum;
}

} // namespace kestrix
