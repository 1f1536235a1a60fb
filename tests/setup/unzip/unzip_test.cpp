// SPDX-License-Identifier: GPL-3.0-or-later
// pkunzip end to end: honest archives, hostile ones made here, and what lies on disk already.
#include "archives.h"
#include "unzip.h"

#include <QProcess>
#include <QTemporaryDir>
#include <archive_entry.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace pkunzip::test {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

struct Result {
    int status;
    std::string err;
};

// Files with their contents ("/" ends a folder, "->" starts a link's target), skipping skip.
Tree ListTree(const fs::path& root, const fs::path& skip = {}) {
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->path() == skip) {
            it.disable_recursion_pending();
        } else if (it->is_symlink()) {
            tree[name] = "->" + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            tree[name + "/"] = "";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            tree[name] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return tree;
}

void WriteFile(const fs::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

// A fresh temporary folder: pkunzip unpacks into work/, and nothing else in it may change.
class UnzipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        fs::create_directories(work);
        fs::create_directories(outside);
    }

    Result run(const QStringList& args) {
        const Tree before = ListTree(root, work);
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(work.string()));
        process.start(QStringLiteral(PKUNZIP_PATH), args);
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(ListTree(root, work), before) << "written outside the folder";
        return {process.exitCode(), process.readAllStandardError().toStdString()};
    }
    Result run(const std::string& archive, const char* options = "-do") {
        return run({QString::fromLatin1(options), QString::fromStdString(archive)});
    }

    // In this process, for limits too small to reach from the command line.
    Result unzip(const std::string& archive, Limits limits) {
        const fs::path saved = fs::current_path();
        fs::current_path(work);
        std::ostringstream err;
        const int status = Unzip({archive, true, true, limits}, err);
        fs::current_path(saved);
        return {status, err.str()};
    }

    QTemporaryDir tmp;
    const fs::path root{tmp.path().toStdString()};
    const fs::path work = root / "work";
    const fs::path outside = root / "outside";
    const std::string zip = (root / "test.zip").string();
};

TEST_F(UnzipTest, RealArchiveWithFolders) {
    WriteZip(zip, {{"docs/", "", AE_IFDIR, "", 0755},
                   {"docs/readme.txt", "read me"},
                   {"a/b/c/deep.txt", "deep"},
                   {"bin/tool", "#!/bin/sh\n", AE_IFREG, "", 04755}});
    const Result result = run(zip);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ListTree(work), (Tree{{"a/", ""},
                                    {"a/b/", ""},
                                    {"a/b/c/", ""},
                                    {"a/b/c/deep.txt", "deep"},
                                    {"bin/", ""},
                                    {"bin/tool", "#!/bin/sh\n"},
                                    {"docs/", ""},
                                    {"docs/readme.txt", "read me"}}));
    const fs::perms tool = fs::status(work / "bin/tool").permissions();
    EXPECT_NE(tool & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(tool & fs::perms::set_uid, fs::perms::none);

    fs::remove_all(work);
    fs::create_directory(work);
    EXPECT_EQ(run(zip, "-o").status, 0);
    EXPECT_EQ(ListTree(work),
              (Tree{{"deep.txt", "deep"}, {"tool", "#!/bin/sh\n"}, {"readme.txt", "read me"}}));
}

void Make(const QString& program, const QStringList& args, const fs::path& folder) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(program, args);
    ASSERT_TRUE(process.waitForFinished(30000)) << program.toStdString() << " is missing";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

// Debian's zip leaves a UTF-8 name unflagged; Python's zipfile flags it, here made as on Unix
// and as on Windows.
TEST_F(UnzipTest, NamesFromZipAndPythonAreUtf8) {
    const fs::path src = root / "src";
    fs::create_directory(src);
    WriteFile(src / "caf\u00e9.txt", "zip");
    const QString archive = QString::fromStdString(zip);
    const QString python = QStringLiteral("import sys, zipfile\n"
                                          "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                          "    for system, name in ((3, 'unix'), (0, 'win')):\n"
                                          "        i = zipfile.ZipInfo('caf\\u00e9.' + name)\n"
                                          "        i.create_system = system\n"
                                          "        z.writestr(i, name)\n");
    for (const auto& [program, args, written] :
         std::initializer_list<std::tuple<QString, QStringList, Tree>>{
             {QStringLiteral("zip"),
              {QStringLiteral("-q"), archive, QStringLiteral("caf\u00e9.txt")},
              {{"caf\u00e9.txt", "zip"}}},
             {QStringLiteral("python3"),
              {QStringLiteral("-c"), python, archive},
              {{"caf\u00e9.unix", "unix"}, {"caf\u00e9.win", "win"}}}}) {
        fs::remove(zip);
        fs::remove_all(work);
        fs::create_directory(work);
        Make(program, args, src);
        const Result result = run(zip);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(ListTree(work), written) << program.toStdString();
    }
}

// Unflagged names are CP437 unless made on Unix and valid UTF-8.
TEST_F(UnzipTest, NamesFromDosAndWindowsAreCp437) {
    RawZip raw;
    raw.addListed({.name = "caf\x82.txt", .data = "dos", .host = 0});
    raw.addListed({.name = "\xc3\xa9.ntfs", .data = "ntfs", .host = 11});
    raw.addListed({.name = "\xc3\xa9.vfat", .data = "vfat", .host = 14});
    raw.addListed({.name = "B\201cher.txt", .data = "unix", .host = 3});
    raw.addListed({.name = "Gr\u00fc\u00df.txt", .data = "flagged", .flags = 0x800, .host = 0});
    raw.save(zip);
    EXPECT_EQ(run(zip).status, 0);
    EXPECT_EQ(ListTree(work), (Tree{{"caf\u00e9.txt", "dos"},
                                    {"\u251c\u2310.ntfs", "ntfs"},
                                    {"\u251c\u2310.vfat", "vfat"},
                                    {"B\u00fccher.txt", "unix"},
                                    {"Gr\u00fc\u00df.txt", "flagged"}}));
}

TEST_F(UnzipTest, ArchiveNameIgnoresLetterCase) {
    WriteZip((root / "DATA.DAT").string(), {{"upper.txt", ""}});
    EXPECT_EQ(run("../data.dat").status, 0);
    EXPECT_TRUE(fs::exists(work / "upper.txt"));

    WriteZip((root / "data.dat").string(), {{"lower.txt", ""}});
    EXPECT_EQ(run("../data.dat").status, 0);
    EXPECT_TRUE(fs::exists(work / "lower.txt")) << "the exact name wins";

    const Result ambiguous = run("../Data.Dat");
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_NE(ambiguous.err.find("letter case"), std::string::npos);
    EXPECT_EQ(run("../missing.zip").status, 1);
}

TEST_F(UnzipTest, ExistingFilesAreReplacedOnlyWithO) {
    WriteZip(zip, {{"readme.txt", "new"}, {"other.txt", "other"}});
    WriteFile(work / "readme.txt", "old");
    const Result kept = run(zip, "-d");
    EXPECT_EQ(kept.status, 1);
    EXPECT_NE(kept.err.find("readme.txt"), std::string::npos);
    EXPECT_EQ(ListTree(work), (Tree{{"readme.txt", "old"}, {"other.txt", "other"}}));

    EXPECT_EQ(run(zip, "-do").status, 0);
    EXPECT_EQ(ListTree(work), (Tree{{"readme.txt", "new"}, {"other.txt", "other"}}));
}

// Each hostile entry sits between two honest ones, which must still be written.
class HostileNameTest : public UnzipTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HostileNameTest, IsNotWritten) {
    std::string name = GetParam();
    if (name.front() == '@')
        name = outside.string() + name.substr(1);
    WriteZip(zip, {{"first.txt", "1"}, {name, "evil"}, {"last.txt", "2"}});
    const Result result = run(zip);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("evil.txt: not written"), std::string::npos) << result.err;
    EXPECT_EQ(ListTree(work), (Tree{{"first.txt", "1"}, {"last.txt", "2"}}));
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNameTest,
                         ::testing::Values("../evil.txt", "..\\evil.txt", "a/../../evil.txt",
                                           "a\\..\\..\\evil.txt", "@/evil.txt", "C:/evil.txt",
                                           "c:evil.txt", "\\\\server\\share\\evil.txt"));

TEST_F(UnzipTest, SymlinkEntriesAreNotMade) {
    WriteZip(zip, {{"link", "", AE_IFLNK, outside.string(), 0777}, {"link/x.txt", "x"}});
    const Result result = run(zip);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("link: not written"), std::string::npos);
    EXPECT_EQ(ListTree(work), (Tree{{"link/", ""}, {"link/x.txt", "x"}}));
}

struct LinkOnDisk {
    const char* link;   // made in the work folder, pointing outside
    const char* target; // relative to the outside folder
    const char* options;
    int status;
};

class LinkOnDiskTest : public UnzipTest, public ::testing::WithParamInterface<LinkOnDisk> {};

// With -o the link itself is replaced; without, it stays and the entry is not written.
TEST_P(LinkOnDiskTest, IsNeverFollowed) {
    const LinkOnDisk& p = GetParam();
    WriteFile(outside / "a.txt", "precious");
    fs::create_symlink(outside / p.target, work / p.link);
    WriteZip(zip, {{"sub/a.txt", "from archive"}, {"a.txt", "from archive"}});
    const Result result = run(zip, p.options);
    EXPECT_EQ(result.status, p.status) << result.err;
    EXPECT_EQ(fs::is_symlink(work / p.link), p.status != 0);
    if (p.status == 0) {
        EXPECT_EQ(ListTree(work),
                  (Tree{{"a.txt", "from archive"}, {"sub/", ""}, {"sub/a.txt", "from archive"}}));
    }
}

INSTANTIATE_TEST_SUITE_P(Links, LinkOnDiskTest,
                         ::testing::Values(LinkOnDisk{"sub", ".", "-do", 0},
                                           LinkOnDisk{"sub", ".", "-d", 1},
                                           LinkOnDisk{"a.txt", "a.txt", "-do", 0},
                                           LinkOnDisk{"a.txt", "a.txt", "-d", 1}));

struct DamageCase {
    const char* what;
    RawZip::Layout entry; // named bad.txt
    const char* reason = "";
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.what;
}

class DamagedEntryTest : public UnzipTest, public ::testing::WithParamInterface<DamageCase> {};

// Entries whose data is not what their headers say leave nothing behind.
TEST_P(DamagedEntryTest, IsRemoved) {
    RawZip raw;
    raw.addListed({.name = "first.txt", .data = "1"});
    raw.addListed(GetParam().entry);
    raw.addListed({.name = "last.txt", .data = "2"});
    raw.save(zip);
    const Result result = run(zip);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(std::string("bad.txt: not written: ") + GetParam().reason),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ListTree(work), (Tree{{"first.txt", "1"}, {"last.txt", "2"}}));
}

const std::string kMebibyte(1 << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Entries, DamagedEntryTest,
    ::testing::Values(
        // Stopped while streaming, before libarchive's own check at the end of the data.
        DamageCase{"larger than declared",
                   {.name = "bad.txt", .data = kMebibyte, .declaredSize = 1000},
                   "it unpacks to more than the 1000 bytes it declares"},
        DamageCase{"smaller than declared",
                   {.name = "bad.txt", .data = kMebibyte, .declaredSize = 2 << 20}},
        DamageCase{"bad checksum",
                   {.name = "bad.txt", .data = "stored", .deflate = false, .crcFlip = 1}}));

TEST_F(UnzipTest, OverlappingEntriesAreWrittenOnce) {
    const std::string kernel(1 << 20, 'k');
    RawZip shared; // two directory records for one local entry
    RawZip::Record record = shared.addListed({.name = "a.txt", .data = kernel});
    record.name = "b.txt";
    shared.list(record);
    // The entry never read is named however the archive ends.
    for (const auto& [comment, after] : {std::pair<std::string, std::string>{"", ""},
                                         {"", "x"},
                                         {"a comment", ""},
                                         {"PK\5\6 in a comment", "x"}}) {
        WriteFile(zip, shared.bytes(comment) + after);
        fs::remove_all(work);
        fs::create_directory(work);
        const Result result = run(zip);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("b.txt: not written"), std::string::npos) << result.err;
        EXPECT_EQ(ListTree(work).size(), 1u);
    }

    // b's local entry lies inside a's stored data.
    RawZip inner;
    RawZip::Record b = inner.add({.name = "b.txt", .data = kernel});
    RawZip nested;
    const RawZip::Record a =
        nested.addListed({.name = "a.txt", .data = inner.localBytes(), .deflate = false});
    b.offset += a.offset + 30 + static_cast<std::uint32_t>(a.name.size());
    nested.list(b);
    nested.save(zip);
    fs::remove_all(work);
    fs::create_directory(work);
    const Result result = run(zip);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("b.txt: not written"), std::string::npos) << result.err;
    EXPECT_EQ(ListTree(work), (Tree{{"a.txt", inner.localBytes()}}));
}

TEST_F(UnzipTest, AnArchiveWithoutEntriesIsAllWritten) {
    RawZip().save(zip);
    EXPECT_EQ(run(zip).status, 0);
    WriteFile(zip, "not a zip");
    EXPECT_EQ(run(zip).status, 1);
}

struct LimitCase {
    Limits limits;
    std::size_t written; // files of the four
};

class OutputLimitTest : public UnzipTest, public ::testing::WithParamInterface<LimitCase> {};

// Four files of 1 MiB of zeros pack into a few KiB: the output must pass both the ratio and
// the floor to be stopped, and then no partial file is left.
TEST_P(OutputLimitTest, StopsOnlyPastBoth) {
    const std::string zeros(1 << 20, '\0');
    WriteZip(zip, {{"1", zeros}, {"2", zeros}, {"3", zeros}, {"4", zeros}});
    ASSERT_LT(fs::file_size(zip) * 100, 2 * zeros.size());

    const Result result = unzip(zip, GetParam().limits);
    EXPECT_EQ(result.status, GetParam().written == 4 ? 0 : 1) << result.err;
    const Tree tree = ListTree(work);
    EXPECT_EQ(tree.size(), GetParam().written);
    for (const auto& [name, data] : tree)
        EXPECT_EQ(data.size(), zeros.size()) << name;
    for (std::size_t i = GetParam().written + 1; i <= 4; ++i)
        EXPECT_NE(result.err.find(std::to_string(i) + ": not written"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Limits, OutputLimitTest,
                         ::testing::Values(LimitCase{{1, 3 << 19}, 1}, LimitCase{{100, 0}, 0},
                                           LimitCase{{1, 4 << 20}, 4}, LimitCase{{1 << 20, 0}, 4},
                                           LimitCase{{}, 4}));

} // namespace
} // namespace pkunzip::test
