// SPDX-License-Identifier: GPL-3.0-or-later
// Which entry names may be written, and the command line.
#include "entry_name.h"
#include "unzip.h"

#include <gtest/gtest.h>

namespace pkunzip::test {
namespace {

struct NameCase {
    std::string_view raw;
    std::optional<std::string> checked;
};

class EntryNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNameTest, Checked) {
    EXPECT_EQ(CheckedEntryName(GetParam().raw), GetParam().checked);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNameTest,
    ::testing::Values(NameCase{"a.txt", "a.txt"}, NameCase{"dir/", "dir"},
                      NameCase{"dir\\sub\\a.txt", "dir/sub/a.txt"},
                      NameCase{"./a/./b.txt", "a/b.txt"}, NameCase{"..a/b..", "..a/b.."},
                      NameCase{"C", "C"}, NameCase{"1:/x", "1:/x"}, NameCase{"", {}},
                      NameCase{".", {}}, NameCase{"./", {}}, NameCase{"dir//", {}},
                      NameCase{"a//b", {}}, NameCase{"..", {}}, NameCase{"../a", {}},
                      NameCase{"a/..", {}}, NameCase{"a/../b", {}}, NameCase{"a\\..\\..\\b", {}},
                      NameCase{"/etc/passwd", {}}, NameCase{"\\a", {}},
                      NameCase{"\\\\server\\share\\a", {}}, NameCase{"C:", {}},
                      NameCase{"c:a.txt", {}}, NameCase{"./C:/a.txt", {}},
                      NameCase{"Z:\\a.txt", {}}, NameCase{"a\0b"sv, {}}));

TEST(PrintableTest, ControlCharactersAreMasked) {
    EXPECT_EQ(Printable("a\x1b[2Jb\n\x7f"
                        "c\xc3\xbc"),
              "a?[2Jb??c\xc3\xbc");
}

TEST(ArgumentsTest, OptionsAndOneArchive) {
    using Args = std::vector<std::string_view>;
    const auto parse = [](Args args) { return ParseArguments(args); };
    for (const Args& bad : {Args{}, Args{"-d"}, Args{"-x", "a.zip"}, Args{"-dx", "a.zip"},
                            Args{"a.zip", "b.zip"}, Args{""}, Args{"--", "a.zip"}})
        EXPECT_FALSE(parse(bad)) << ::testing::PrintToString(bad);

    const auto both = parse({"-d", "-o", "a.zip"});
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->folders && both->overwrite);
    EXPECT_EQ(both->archive, "a.zip");
    const auto joined = parse({"DATA.DAT", "-od"});
    ASSERT_TRUE(joined);
    EXPECT_TRUE(joined->folders && joined->overwrite);
    const auto plain = parse({"a.zip"});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->folders || plain->overwrite);
}

} // namespace
} // namespace pkunzip::test
