// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cmdline.h"
#include "core/number.h"
#include "core/script.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace setup {
namespace {

struct NumberCase {
    const char* text;
    std::optional<int> max; // nothing: too large for 32 bits
};

class FilesNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FilesNumber, ReadsLikeALenientConversionAndRoundsHalfToEven) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(FilesMaximum(QString::fromLatin1(c.text)), c.max)
        << "FILES value \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Values, FilesNumber,
    ::testing::Values(NumberCase{"12abc", 12}, NumberCase{"abc", 0}, NumberCase{"1 2", 12},
                      NumberCase{"2.5", 2}, NumberCase{"3.5", 4}, NumberCase{"&H10", 16},
                      NumberCase{"&o17", 15}, NumberCase{"&H", 0}, NumberCase{"\t1\n0 ", 10},
                      NumberCase{"\r5", 0}, NumberCase{"-2.5", -2}, NumberCase{"+4", 4},
                      NumberCase{".5", 0}, NumberCase{"1.5e1", 15}, NumberCase{"1e", 1},
                      NumberCase{"1e-400", 0}, NumberCase{"", 0},
                      NumberCase{"2147483647", 2147483647},
                      NumberCase{"-2147483648", -2147483647 - 1}, NumberCase{"2147483648", {}},
                      NumberCase{"-2147483649", {}}, NumberCase{"1e10", {}},
                      NumberCase{"1e400", {}}, NumberCase{"&HFFFFFFFF", {}}));

struct LinesCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

class ScriptLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ScriptLines, EndAtCrLfOrLoneCrAndKeepLoneLf) {
    QByteArray bytes = GetParam().bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    ScriptReader reader(buffer);
    QStringList lines;
    while (const std::optional<QString> line = reader.ReadLine())
        lines.append(*line);
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_FALSE(reader.ReadLine()) << "reading past the end must fail again";
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ScriptLines,
    ::testing::Values(LinesCase{"CrLf", "a\r\nb\r\n", {QStringLiteral("a"), QStringLiteral("b")}},
                      LinesCase{"CrOnly", "a\rb\r", {QStringLiteral("a"), QStringLiteral("b")}},
                      LinesCase{"LfInside", "a\nb\r\n", {QStringLiteral("a\nb")}},
                      LinesCase{
                          "LastWithoutEnd", "a\r\nb", {QStringLiteral("a"), QStringLiteral("b")}},
                      LinesCase{"EmptyLines", "\r\n\r\r\n", {QString(), QString(), QString()}},
                      LinesCase{"Empty", "", {}},
                      LinesCase{"Latin1", "\xa9\xe9\r\n", {QStringLiteral(u"\u00a9\u00e9")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderLine, KeysAreTriedInOrderAndNeedTheirBlank) {
    EXPECT_EQ(ParseHeaderLine(QStringLiteral("SHORTCUTNAME x")).key, HeaderKey::ShortcutName);
    EXPECT_EQ(ParseHeaderLine(QStringLiteral("SHORTCUT x")).value, QStringLiteral("x"));
    EXPECT_EQ(ParseHeaderLine(QStringLiteral("NAME")).key, HeaderKey::None);
    EXPECT_EQ(ParseHeaderLine(QStringLiteral("ENDHEADER ")).key, HeaderKey::None);
    EXPECT_EQ(ParseHeaderLine(QStringLiteral("INFO ")).value, QString());
}

TEST(CommandLine, SplitsAsTheCRuntimeDoes) {
    EXPECT_EQ(SplitCommandLine(QStringLiteral("pkunzip -d -o data.dat")),
              QStringList({QStringLiteral("pkunzip"), QStringLiteral("-d"), QStringLiteral("-o"),
                           QStringLiteral("data.dat")}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral(R"("C:\a b\pk" "x y" a\\\"b c\\")")),
              QStringList({QStringLiteral(R"(C:\a b\pk)"), QStringLiteral("x y"),
                           QStringLiteral(R"(a\"b)"), QStringLiteral(R"(c\)")}));
}

} // namespace
} // namespace setup
