// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace setup {

namespace {

std::string withoutSkipped(const QString& text) {
    std::string kept;
    kept.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        // Anything outside ASCII ends a number anyway.
        kept.push_back(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f');
    }
    return kept;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

double radixNumber(const std::string& s, std::size_t i, int radix) {
    double value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit = -1;
        if (isDigit(c))
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}

} // namespace

double Val(const QString& text) {
    const std::string s = withoutSkipped(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'h' || s[1] == 'H')
            return radixNumber(s, 2, 16);
        if (s[1] == 'o' || s[1] == 'O')
            return radixNumber(s, 2, 8);
        return 0;
    }

    // Collect the longest prefix that is a decimal number, then let strtod read exactly that.
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    bool intDigitsNonZero = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        ++digits;
        intDigitsNonZero = intDigitsNonZero || s[i] != '0';
    }
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && isDigit(s[i]); ++i)
            ++digits;
    if (digits == 0)
        return 0;
    std::size_t end = i;
    std::size_t exponentAt = std::string::npos;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            exponentAt = i;
            end = j;
        }
    }
    // from_chars ignores the locale, which a Qt program sets from the environment.
    const std::size_t start = s[0] == '+' ? 1 : 0;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data() + start, s.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        // Too small underflows to 0; too large is infinite, which no maximum can hold.
        const bool large =
            exponentAt != std::string::npos ? s[exponentAt + 1] != '-' : intDigitsNonZero;
        if (!large)
            return 0;
        return s[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

Result<int> FilesMaximum(const QString& value) {
    // nearbyint rounds a half to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(Val(value));
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return Failure{
            QStringLiteral("The number of files \"%1\" in the setup script is too large.")
                .arg(value)};
    return static_cast<int>(rounded);
}

} // namespace setup
