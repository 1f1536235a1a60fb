// SPDX-License-Identifier: GPL-3.0-or-later
#include "header/numbers.h"

#include "support/printers.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(Dec2BinTest, DigitsOfTheMagnitudeWithoutLeadingZeros) {
    const struct {
        std::int32_t n;
        const char* digits;
    } cases[] = {{0, ""},           {1, "1"},
                 {5, "101"},        {-5, "101"},
                 {12, "1100"},      {128, "10000000"},
                 {255, "11111111"}, {INT32_MIN, "10000000000000000000000000000000"}};
    for (const auto& c : cases)
        EXPECT_EQ(Dec2Bin(c.n), QString::fromLatin1(c.digits)) << "Dec2Bin(" << c.n << ")";
}

TEST(HextoDecTest, NonDigitsCountAsZeroInTheirPlace) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {{"FF", 255},
                 {"ff", 255},
                 {"0100", 256},
                 {"1G", 16},
                 {"A-", 160},
                 {" 1", 1},
                 {"1 ", 16},
                 {"", 0},
                 {"7FFFFFFF", 2147483647},
                 {"80000000", 2147483647},
                 {"FFFFFFFFFFFFFFFFFFFF", 2147483647},
                 // zeros in places whose weight overflows a double
                 {"0000000000000000000000000000000000000000000000000000000000000000000000000000000"
                  "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
                  "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
                  "000000000000000000000000000000000000000000000000000000000000000000000000000001",
                  1}};
    for (const auto& c : cases)
        EXPECT_EQ(HextoDec(QString::fromLatin1(c.text)), c.value)
            << "HextoDec(\"" << c.text << "\")";
}

TEST(FillHexTest, PadsToTheWidthAndNeverCuts) {
    const struct {
        const char* text;
        std::int32_t amount;
        const char* padded;
    } cases[] = {{"4", 2, "04"}, {"AB", 2, "AB"},   {"1100", 8, "00001100"},
                 {"", 2, "00"},  {"ABC", 2, "ABC"}, {"1", -3, "1"}};
    for (const auto& c : cases)
        EXPECT_EQ(FillHex(QString::fromLatin1(c.text), c.amount), QString::fromLatin1(c.padded))
            << "FillHex(\"" << c.text << "\", " << c.amount << ")";
}

} // namespace
} // namespace kestrix
