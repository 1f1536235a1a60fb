// SPDX-License-Identifier: GPL-3.0-or-later
// The header decoding and the number texts on any bytes: no fault, and the panel agrees with
// the bytes it was given.
#include "core/header.h"
#include "core/numbers.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto panel = kestrix::DecodeHeader(bytes);
    const bool hasId = size >= 11 && data[8] == 0xAA && data[9] == 0xBB && data[10] == 0x04;
    if (panel.has_value() != hasId)
        std::abort();
    if (panel) {
        const double mbit = (data[0] + 256 * data[1]) / 16.0;
        QString text = panel->size;
        if (text.startsWith(u'.'))
            text.prepend(u'0');
        if (text.toDouble() != mbit || (panel->size.contains(u'.') && panel->size.endsWith(u'0')))
            std::abort();
    }

    const QString text = QString::fromLatin1(bytes);
    const std::int32_t value = kestrix::HextoDec(text);
    if (value < 0)
        std::abort();
    const std::int32_t amount = size > 0 ? static_cast<std::int8_t>(data[0]) : 0;
    const QString padded = kestrix::FillHex(text, amount);
    if (!padded.endsWith(text) || padded.size() != std::max<qsizetype>(text.size(), amount))
        std::abort();
    (void)kestrix::Dec2Bin(value);
    return 0;
}
