// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/header.h"

#include "core/numbers.h"

namespace kestrix {

bool IsSmcName(const QString& name) {
    return name.endsWith(QStringLiteral(".smc"));
}

namespace {

// Two upper-case hexadecimal digits of a byte.
QString ByteHex(unsigned char byte) {
    return FillHex(QString::number(byte, 16).toUpper(), 2);
}

} // namespace

QString MbitText(std::int32_t sixteenths) {
    // A multiple of 1/16 needs at most four fraction digits, and 'f' gives them exactly.
    QString text = QString::number(sixteenths / 16.0, 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    return text.isEmpty() ? QStringLiteral("0") : text;
}

std::optional<CopierHeader> ReadCopierHeader(const QByteArray& bytes) {
    if (bytes.size() < HeaderBytes)
        return std::nullopt;
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (ByteHex(byte(8)) + ByteHex(byte(9)) + ByteHex(byte(10)) != u"AABB04")
        return std::nullopt;
    return CopierHeader{HextoDec(ByteHex(byte(1)) + ByteHex(byte(0))),
                        FillHex(Dec2Bin(byte(2)), 8)};
}

bool CarriesHeaderId(const QByteArray& bytes) {
    return ReadCopierHeader(bytes).has_value();
}

std::optional<HeaderPanel> DecodeHeader(const QByteArray& bytes) {
    const std::optional<CopierHeader> header = ReadCopierHeader(bytes);
    if (!header)
        return std::nullopt;
    HeaderPanel panel;
    panel.size = MbitText(header->units);
    const QString& bits = header->modeBits; // digit 1 is bit 7
    const auto pick = [](QChar digit, const char* zero, const char* one) {
        return QString::fromLatin1(digit == u'1' ? one : zero);
    };
    panel.mode = pick(bits[0], "Mode 0", "Mode 1");
    // Bit 6 is set on every part of a split that another part follows.
    panel.type = pick(bits[1], "Non-Multi", "Multi-Image");
    panel.sramMap = pick(bits[2], "SRAM Mode 20", "SRAM Mode 21");
    panel.dramMap = pick(bits[3], "DRAM Mode 20", "DRAM Mode 21");
    const QString sram = bits.mid(4, 2);
    panel.sramSize = sram == u"00"   ? QStringLiteral("256k SRAM")
                     : sram == u"01" ? QStringLiteral("64k SRAM")
                     : sram == u"10" ? QStringLiteral("16k SRAM")
                                     : QStringLiteral("No SRAM");
    return panel;
}

} // namespace kestrix
