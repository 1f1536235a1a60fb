// SPDX-License-Identifier: GPL-3.0-or-later
#include "header/header.h"

#include "support/printers.h"

#include <QStringList>
#include <array>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

QByteArray header(unsigned char low, unsigned char high, unsigned char mode,
                  QByteArray id = QByteArray::fromHex("AABB04")) {
    QByteArray bytes(8, '\0');
    bytes[0] = static_cast<char>(low);
    bytes[1] = static_cast<char>(high);
    bytes[2] = static_cast<char>(mode);
    return bytes + id;
}

struct SizeCase {
    unsigned char low, high;
    const char* text;
};

class SizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeTest, WritesTheMbitAsThePanelDoes) {
    const SizeCase& c = GetParam();
    const auto panel = DecodeHeader(header(c.low, c.high, 0));
    ASSERT_TRUE(panel.has_value());
    EXPECT_EQ(panel->size, QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizeTest,
                         ::testing::Values(SizeCase{0x80, 0x00, "8"}, SizeCase{0x00, 0x01, "16"},
                                           SizeCase{0x00, 0x02, "32"}, SizeCase{0x64, 0x00, "6.25"},
                                           SizeCase{0x08, 0x00, ".5"},
                                           SizeCase{0x01, 0x00, ".0625"},
                                           SizeCase{0xFF, 0xFF, "4095.9375"},
                                           SizeCase{0x00, 0x00, "0"}, SizeCase{0x18, 0x00, "1.5"}));

struct ModeCase {
    unsigned char mode;
    std::array<const char*, 5> texts;
};

class ModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeTest, DecodesTheModeByteBits) {
    const ModeCase& c = GetParam();
    const auto panel = DecodeHeader(header(0, 1, c.mode));
    ASSERT_TRUE(panel.has_value());
    EXPECT_EQ(
        QStringList({panel->mode, panel->type, panel->sramMap, panel->dramMap, panel->sramSize}),
        QStringList({QString::fromLatin1(c.texts[0]), QString::fromLatin1(c.texts[1]),
                     QString::fromLatin1(c.texts[2]), QString::fromLatin1(c.texts[3]),
                     QString::fromLatin1(c.texts[4])}))
        << "mode byte " << int(c.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeTest,
    ::testing::Values(
        ModeCase{0xFC, {"Mode 1", "Multi-Image", "SRAM Mode 21", "DRAM Mode 21", "No SRAM"}},
        ModeCase{0x00, {"Mode 0", "Non-Multi", "SRAM Mode 20", "DRAM Mode 20", "256k SRAM"}},
        ModeCase{0x24, {"Mode 0", "Non-Multi", "SRAM Mode 21", "DRAM Mode 20", "64k SRAM"}},
        ModeCase{0x58, {"Mode 0", "Multi-Image", "SRAM Mode 20", "DRAM Mode 21", "16k SRAM"}}));

TEST(DecodeHeaderTest, LeavesThePanelWithoutTheIdentifier) {
    EXPECT_FALSE(DecodeHeader(header(0, 1, 0, QByteArray::fromHex("AABB05"))));
    EXPECT_FALSE(DecodeHeader(header(0, 1, 0, QByteArray::fromHex("aabb"))))
        << "a file of 10 bytes has no identifier";
    EXPECT_FALSE(DecodeHeader(QByteArray()));
    EXPECT_TRUE(DecodeHeader(header(0, 1, 0) + QByteArray(500, 'x')));
}

} // namespace
} // namespace kestrix
