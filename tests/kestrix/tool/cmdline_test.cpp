// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool/cmdline.h"

#include "support/printers.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> argv;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.line;
}

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheRuntimesArgv) {
    const SplitCase& c = GetParam();
    std::vector<std::string> argv;
    for (const QString& arg : SplitCommandLine(QString::fromUtf8(c.line)))
        argv.push_back(arg.toStdString());
    EXPECT_EQ(argv, c.argv) << "argv differs from the C runtime's rules for: " << c.line;
}

// The runtime's documented vectors (after a program name), then the program name's own rule.
INSTANTIATE_TEST_SUITE_P(
    RuntimeRules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{R"(p "abc" d e)", {"p", "abc", "d", "e"}},
        SplitCase{R"(p a\\b d"e f"g h)", {"p", R"(a\\b)", "de fg", "h"}},
        SplitCase{R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        SplitCase{R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        SplitCase{R"(p a"b"" c d)", {"p", R"(ab" c d)"}}, SplitCase{R"(p "a""b")", {"p", R"(a"b)"}},
        SplitCase{"p \t a  \t b\t", {"p", "a", "b"}}, SplitCase{R"(p "")", {"p", ""}},
        SplitCase{R"(p "C:\\" x)", {"p", R"(C:\)", "x"}},
        SplitCase{R"(p "C:\" x)", {"p", R"(C:" x)"}},
        SplitCase{R"("C:\Program Files\u.exe" -l)", {R"(C:\Program Files\u.exe)", "-l"}},
        SplitCase{R"(C:\t\u\ x)", {R"(C:\t\u\)", "x"}}, SplitCase{R"(u"c o"n x)", {"uc on", "x"}},
        SplitCase{"ucon64", {"ucon64"}}, SplitCase{"", {}},
        SplitCase{R"(ucon64 --chk "/r o/G.SWC" -o="/r o")",
                  {"ucon64", "--chk", "/r o/G.SWC", "-o=/r o"}}));

TEST(QuotePathTest, RoundTripsThroughTheRuntimesRules) {
    const QStringList paths = {QStringLiteral(R"(C:\ROMS\GAME.SWC)"),
                               QStringLiteral(R"(C:\)"),
                               QStringLiteral(R"(C:\My ROMs\\)"),
                               QStringLiteral("/home/u/My ROMs/x.swc"),
                               QStringLiteral(R"(/tmp/a\"b)"),
                               QStringLiteral(R"(say "hi")"),
                               QStringLiteral(""),
                               QStringLiteral(R"(\\server\share\)")};
    for (const QString& path : paths) {
        const QStringList argv = SplitCommandLine(QStringLiteral("ucon64 -l ") + QuotePath(path));
        ASSERT_EQ(argv.size(), 3) << "path split apart: " << path.toStdString();
        EXPECT_EQ(argv[2], path) << "path changed on its way to the tool";
    }
}

TEST(QuotePathTest, LeavesOrdinaryPathsAsTheyAreBetweenQuotes) {
    EXPECT_EQ(QuotePath(QStringLiteral(R"(C:\ROMS\GAME.SWC)")),
              QStringLiteral(R"("C:\ROMS\GAME.SWC")"));
    EXPECT_EQ(QuotePath(QStringLiteral(R"(C:\)")), QStringLiteral(R"("C:\\")"));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("ucon64 -o=") + QuotePath(QStringLiteral(R"(C:\)"))),
              QStringList({QStringLiteral("ucon64"), QStringLiteral(R"(-o=C:\)")}));
}

TEST(JoinPathTest, JoinsWithOneSeparatorEvenAtARoot) {
    EXPECT_EQ(JoinPath(QStringLiteral(R"(C:\ROMS)"), QStringLiteral("G.SWC"), u'\\'),
              QStringLiteral(R"(C:\ROMS\G.SWC)"));
    EXPECT_EQ(JoinPath(QStringLiteral(R"(C:\)"), QStringLiteral("G.SWC"), u'\\'),
              QStringLiteral(R"(C:\\G.SWC)"));
    EXPECT_EQ(JoinPath(QStringLiteral("/roms"), QStringLiteral("G.SWC")),
              QStringLiteral("/roms/G.SWC"));
}

} // namespace
} // namespace kestrix
