// SPDX-License-Identifier: GPL-3.0-or-later
// pkunzip end to end on archives made here, honest and hostile, and on what lies on disk.
#include "archives.h"
#include "support/support.h"
#include "unzip.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <sstream>

namespace pkunzip::test {

using namespace Qt::StringLiterals;
using setup::test::HoldsUnderFileLimit;
using setup::test::ListTree;
using setup::test::Tree;

// Unpacks into work/, in this process; nothing else in the temporary folder may change.
class UnzipTest : public setup::test::SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        write(u"outside/a.txt"_s, "precious");
        clearWork();
    }
    // The exit status; err gets the messages.
    int run(const std::string& zip, bool overwrite = true, Limits limits = {}) {
        write(u"test.zip"_s, QByteArray::fromStdString(zip));
        const auto outside = [this] {
            Tree tree = ListTree(tmp.path());
            tree.removeIf([](auto entry) { return entry.key().startsWith(u"work/"); });
            return tree;
        };
        const Tree before = outside();
        std::ostringstream messages;
        EXPECT_TRUE(QDir::setCurrent(work()));
        const int status =
            Unzip({path(u"test.zip"_s).toStdString(), true, overwrite, limits}, messages);
        EXPECT_EQ(outside(), before) << "written outside the folder";
        err = QString::fromStdString(messages.str());
        return status;
    }
    QString work() const { return path(u"work"_s); }
    void clearWork() { ASSERT_TRUE(QDir(work()).removeRecursively() && QDir().mkdir(work())); }

    QString err;
};

struct EntryCase {
    RawZip::Entry entry;
    const char* written = nullptr; // its name on disk
    const char* refusal = nullptr; // why it is not written
};

// Each entry is written under its checked name, or named with the reason, and the others still
// go on. Unflagged names are CP437 unless made on Unix and valid UTF-8.
TEST_F(UnzipTest, WritesEntriesOnlyUnderSafeNamesAndNamesEachOneItDoesNotWrite) {
    const std::string outside = path(u"outside"_s).toStdString(), mebibyte(1 << 20, 'x');
    const char* leads = "its name leads outside the folder";
    const char* link = "it is a link, and links are not unpacked";
    RawZip inner; // a whole local entry, which the directory lists inside another's data
    RawZip::Record nested = inner.add({.name = "inner.txt", .data = "k"});
    using C = EntryCase;
    const EntryCase cases[] = {
        C{{"first.txt", "1"}, "first.txt"},
        C{{.name = "tool", .data = "#!/bin/sh\n", .mode = 0104755}, "tool"},
        C{{"dir\\sub\\a.txt", "a"}, "dir/sub/a.txt"}, C{{"./b/./b..", "b"}, "b/b.."},
        C{{.name = "\xc3\xa9.ntfs", .data = "ntfs", .host = 11}, "\u251c\u2310.ntfs"},
        C{{"\xc3\xa9.unix", "unix"}, "\u00e9.unix"},
        C{{"B\201cher.txt", "unix"}, "B\u00fccher.txt"},
        C{{.name = "Gr\u00fc\u00df", .data = "flagged", .flags = 0x800, .host = 0},
          "Gr\u00fc\u00df"},
        C{{"../evil\x1b.txt", "evil"}, nullptr, leads},
        C{{"a\\..\\..\\evil.txt", "evil"}, nullptr, leads},
        C{{outside + "/evil.txt", "evil"}, nullptr, leads},
        C{{"c:evil.txt", "evil"}, nullptr, leads},
        C{{"\\\\server\\share\\evil.txt", "evil"}, nullptr, leads},
        C{{.name = "link", .data = outside, .mode = 0120777}, nullptr, link},
        // 7-Zip's -snl and bsdtar store a link's target as it is.
        C{{.name = "link7", .data = outside, .deflate = false, .mode = 0120777}, nullptr, link},
        C{{.name = "./linkb", .data = outside, .deflate = false, .mode = 0120777}, nullptr, link},
        C{{"link/x.txt", "x"}, "link/x.txt"},
        // Stopped while streaming, before libarchive's own check at the end of the data.
        C{{.name = "big.txt", .data = mebibyte, .declaredSize = 1000},
          nullptr,
          "it unpacks to more than the 1000 bytes it declares"},
        C{{.name = "short.txt", .data = mebibyte, .declaredSize = 2 << 20}, nullptr, ""},
        C{{.name = "crc.txt", .data = "stored", .deflate = false, .crcFlip = 1}, nullptr, ""},
        C{{.name = "nest.txt", .data = inner.localBytes(), .deflate = false}, "nest.txt"},
        C{{"last.txt", "2"}, "last.txt"}};
    RawZip zip;
    std::vector<RawZip::Record> records;
    Tree written;
    for (const EntryCase& c : cases) {
        zip.list(records.emplace_back(zip.add(c.entry)));
        const QString name = QString::fromUtf8(c.written);
        written[name] = QByteArray::fromStdString(c.entry.data);
        for (qsizetype slash = name.indexOf(u'/'); slash > 0; slash = name.indexOf(u'/', slash + 1))
            written[name.left(slash + 1)];
    }
    written.remove({});
    // Two records no entry of their own stands behind: one shares the first entry's local header,
    // the other points into nest.txt's data. Neither is written, whatever follows the archive.
    RawZip::Record shared = records.front();
    shared.name = "shared.txt";
    zip.list(shared);
    nested.offset += records.end()[-2].offset + 30 + 8; // nest.txt's local header and name
    zip.list(nested);
    const std::string bytes = zip.bytes("PK\5\6 in a comment") + "x";
    EXPECT_EQ(run(bytes), 1);
    EXPECT_EQ(ListTree(work()), written);
    EXPECT_EQ(QFile::permissions(work() + u"/tool"_s) & 0x7777, 0x7755) << "no set-user-ID";
    // Control characters from the archive never reach a terminal.
    for (const EntryCase& c : cases)
        EXPECT_TRUE(!c.refusal ||
                    err.contains(QString::fromStdString(c.entry.name).replace(u'\x1b', u'?') +
                                 u": not written: "_s + QLatin1String(c.refusal)))
            << c.entry.name;
    EXPECT_TRUE(err.contains(u"shared.txt: not written"_s));
    EXPECT_TRUE(err.contains(u"inner.txt: not written: its data overlaps another entry's"_s));
    clearWork();
    EXPECT_EQ(run(RawZip().bytes()), 0) << "an archive without entries is all written";
    EXPECT_EQ(run("not a zip"), 1);
}

// Debian's zip leaves a UTF-8 name unflagged; Python's zipfile flags it, here made as on Unix and
// as on Windows. Both come out under their real names.
TEST_F(UnzipTest, NamesFromZipAndPythonAreRead) {
    write(u"src/caf\u00e9.txt"_s, "zip");
    const QString python = u"import zipfile\nwith zipfile.ZipFile('../made.zip', 'w') as z:\n"
                           "  for system, name in ((3, 'unix'), (0, 'win')):\n"
                           "    i = zipfile.ZipInfo('caf\\u00e9.' + name); i.create_system = "
                           "system; z.writestr(i, name)\n"_s;
    using C = std::tuple<QString, QStringList, Tree>;
    for (const auto& [program, args, unpacked] :
         {C{u"/usr/bin/zip"_s,
            {u"-q"_s, u"../made.zip"_s, u"caf\u00e9.txt"_s},
            {{u"caf\u00e9.txt"_s, "zip"}}},
          C{u"/usr/bin/python3"_s,
            {u"-c"_s, python},
            {{u"caf\u00e9.unix"_s, "unix"}, {u"caf\u00e9.win"_s, "win"}}}}) {
        QFile::remove(path(u"made.zip"_s));
        QProcess make;
        make.setWorkingDirectory(path(u"src"_s));
        if (!QFileInfo::exists(program)) // PATH is the test's
            GTEST_SKIP() << qPrintable(program) << " is not installed (scripts/deps.sh)";
        make.start(program, args);
        ASSERT_TRUE(make.waitForFinished() && make.exitCode() == 0) << qPrintable(program);
        clearWork();
        EXPECT_EQ(run(read(u"made.zip"_s).toStdString()), 0) << qPrintable(err);
        EXPECT_EQ(ListTree(work()), unpacked) << qPrintable(program);
    }
}

// With -o a file, or a link in its place or in its path, is replaced; without, it stays and the
// entry is not written. A link is never followed.
TEST_F(UnzipTest, WhatLiesOnDiskIsReplacedOnlyWithO) {
    RawZip zip;
    zip.list(zip.add({.name = "sub/a.txt", .data = "new"}));
    zip.list(zip.add({.name = "a.txt", .data = "new"}));
    using C = std::tuple<QString, const char*, bool, int>; // name, link target, -o, status
    for (const auto& [name, link, overwrite, status] :
         {C{u"a.txt"_s, nullptr, false, 1}, C{u"a.txt"_s, "a.txt", false, 1},
          C{u"a.txt"_s, "a.txt", true, 0}, C{u"sub"_s, "", false, 1}, C{u"sub"_s, "", true, 0}}) {
        clearWork();
        const QString onDisk = work() + u'/' + name;
        ASSERT_TRUE(link ? QFile::link(path(u"outside/"_s) + QLatin1String(link), onDisk)
                         : QFile(onDisk).open(QIODevice::WriteOnly));
        const QByteArray before = ListTree(work()).value(name);
        EXPECT_EQ(run(zip.bytes(), overwrite), status) << qPrintable(name) << overwrite;
        if (status == 0) {
            EXPECT_EQ(ListTree(work()),
                      (Tree{{u"a.txt"_s, "new"}, {u"sub/"_s, {}}, {u"sub/a.txt"_s, "new"}}));
        } else {
            EXPECT_EQ(ListTree(work()).value(name), before);
        }
    }
}

// The installer asks for "data.dat" where the disk has DATA.DAT: the archive is found whatever
// its letter case, the exact name first, and a name two files match is refused.
TEST_F(UnzipTest, ArgumentsAndTheArchiveWhateverItsLetterCase) {
    using A = std::pair<std::vector<std::string_view>, const char*>; // the archive, or usage
    for (const auto& [args, archive] :
         {A{{"-d", "-o", "x.zip"}, "x.zip"}, A{{"-do", "x"}, "x"}, A{{"-x", "x"}, nullptr},
          A{{"a", "b"}, nullptr}, A{{"-d"}, nullptr}, A{{""}, nullptr}}) {
        const auto options = ParseArguments(args);
        EXPECT_EQ(options ? options->archive.string() : "usage", archive ? archive : "usage");
    }
    for (const char* name : {"DATA.DAT", "Sub/A.zip", "Sub/a.ZIP", "Sub/b.zip", "Sub/B.ZIP"})
        write(QString::fromLatin1(name), "x");
    ASSERT_TRUE(QDir::setCurrent(tmp.path()));
    using F = std::pair<const char*, const char*>; // what is found, or the message
    for (const auto& [given, found] :
         {F{"data.dat", "DATA.DAT"}, F{"sub/A.zip", "Sub/A.zip"}, F{"SUB/b.zip", "Sub/b.zip"},
          F{"sub/b.Zip", ": several files match it in all but letter case"},
          F{"sub/c.zip", ": no such archive"}, F{"sub", ": no such archive"}}) {
        std::ostringstream messages;
        const auto archive = FindArchive(given, messages);
        EXPECT_EQ(archive ? archive->string() : messages.str(),
                  archive ? found : "pkunzip: " + std::string(given) + found + "\n");
    }
}

// What other writers make unpacks whole, as Info-ZIP's unzip unpacks it: bsdtar's archive of "."
// lists that folder itself as "./"; some writers leave the classic end record wrong beside a
// sound Zip64 one; a local extra field's parts may overrun it. One too short for any part is
// refused, named.
TEST_F(UnzipTest, ArchivesOfOtherWritersUnpackWhole) {
    const RawZip::Entry a{"a.txt", "a"}, b{"sub/b.txt", "b"};
    const Tree whole{{u"a.txt"_s, "a"}, {u"sub/"_s, {}}, {u"sub/b.txt"_s, "b"}};
    const std::string overrun("UT\x09\x00\x03\x00\x00\x00\x00", 9); // 9 bytes declared, 5 there
    const auto folder = [](const char* name) {
        return RawZip::Entry{.name = name, .deflate = false, .mode = 040755};
    };
    // The entries, whether a Zip64 end comes first, and what is said when it does not unpack whole.
    using C = std::tuple<std::vector<RawZip::Entry>, bool, const char*>;
    for (int row = 1;
         const auto& [entries, zip64, refusal] :
         {C{{folder("./"), {"./a.txt", "a"}, folder("./sub/"), {"./sub/b.txt", "b"}}, false, {}},
          C{{a, b}, true, {}},
          C{{{.name = "a.txt", .data = "a", .localExtra = overrun}, b}, false, {}},
          C{{{.name = "a.txt", .data = "a", .localExtra = "UT"}, b},
            false,
            "a.txt: not written: Too-small extra data"}}) {
        SCOPED_TRACE(row++);
        RawZip zip;
        for (const RawZip::Entry& entry : entries)
            zip.list(zip.add(entry));
        clearWork();
        EXPECT_EQ(run(zip.bytes({}, zip64)), refusal ? 1 : 0) << qPrintable(err);
        EXPECT_EQ(ListTree(work()), refusal ? Tree{} : whole);
        EXPECT_TRUE(!refusal || err.contains(QLatin1String(refusal))) << qPrintable(err);
    }
}

// A full disk fails the entry with the system's reason and leaves no partial file; the entries
// after it still go on. As root a tmpfs fills up; a limit on the size of files, in a child that
// unpacks, stands in for it everywhere.
TEST_F(UnzipTest, AFullDiskIsNamedAndLeavesNoPartialFile) {
    RawZip zip;
    for (const auto& [name, size] :
         {std::pair{"big.bin", 60000}, {"mid.bin", 3000}, {"small.txt", 100}})
        zip.list(zip.add({.name = name, .data = std::string(static_cast<std::size_t>(size), 'x')}));
    // The tmpfs's size or the limit, the entry refused, the files left and their sizes.
    using C = std::tuple<qint64, long, const char*, QStringList>;
    for (const auto& [tmpfs, limit, refused, left] :
         {C{0, 50000, "big.bin", {u"mid.bin 3000"_s, u"small.txt 100"_s}},
          C{65536, 0, "small.txt", {u"big.bin 60000"_s, u"mid.bin 3000"_s}}}) {
        clearWork(); // a tmpfs, mounted last, stays till the end
        if (tmpfs && !mountTmpfs(work(), tmpfs))
            continue; // mounting needs root
        const QString said = QLatin1String(refused) + u": not written: Write failed: "_s +
                             (tmpfs ? u"No space left on device"_s : u"File too large"_s);
        if (limit == 0) {
            EXPECT_EQ(run(zip.bytes()), 1);
            EXPECT_TRUE(err.contains(said)) << qPrintable(err);
        } else {
            EXPECT_TRUE(HoldsUnderFileLimit(limit,
                                            [&] {
                                                const bool named =
                                                    run(zip.bytes()) == 1 && err.contains(said);
                                                if (!named)
                                                    std::fprintf(stderr, "pkunzip said: %s\n",
                                                                 qPrintable(err));
                                                return named;
                                            }))
                << "not named: " << qPrintable(said);
        }
        QStringList found;
        for (const auto& [name, bytes] : ListTree(work()).asKeyValueRange())
            found.append(name + u' ' + QString::number(bytes.size()));
        EXPECT_EQ(found, left);
    }
}

// Four files of 1 MiB of zeros pack into a few KiB: the output must pass both the ratio and the
// floor to be stopped, and then no partial file is left.
TEST_F(UnzipTest, AnArchiveIsStoppedOnlyPastBothLimits) {
    RawZip zip;
    for (const char* name : {"1", "2", "3", "4"})
        zip.list(zip.add({.name = name, .data = std::string(1 << 20, '\0')}));
    ASSERT_LT(zip.bytes().size() * 100, 2u << 20);
    using C = std::pair<Limits, int>; // the files written
    for (const auto& [limits, written] :
         {C{{1, 3 << 19}, 1}, C{{100, 0}, 0}, C{{1, 4 << 20}, 4}, C{{1 << 20, 0}, 4}, C{{}, 4}}) {
        clearWork();
        EXPECT_EQ(run(zip.bytes(), true, limits), written == 4 ? 0 : 1);
        const Tree tree = ListTree(work());
        EXPECT_EQ(tree.size(), written);
        for (const QByteArray& data : tree)
            EXPECT_EQ(data.size(), 1 << 20);
        for (int i = written + 1; i <= 4; ++i)
            EXPECT_TRUE(err.contains(QString::number(i) + u": not written"_s));
    }
}

} // namespace pkunzip::test
