// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/browse.h"

#include "support/printers.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(ListFilesTest, MatchesThePatternWithoutCaseAndSortsByName) {
    QTemporaryDir dir;
    for (const char* name : {"GAME.SWC", "GAME.bak", "a.sfc", "Z.Smc", "x.10", "x.11", "doc.txt",
                             ".hidden.swc", "noext"})
        touch(dir.filePath(QString::fromLatin1(name)));
    QDir(dir.path()).mkdir(QStringLiteral("folder.swc"));

    EXPECT_EQ(
        ListFiles(dir.path(), RomPattern()),
        QStringList({QStringLiteral("a.sfc"), QStringLiteral("GAME.bak"),
                     QStringLiteral("GAME.SWC"), QStringLiteral("x.10"), QStringLiteral("Z.Smc")}))
        << "pattern case, folder or hidden-file filtering, or name order is off";
    EXPECT_EQ(ListFiles(dir.path(), QString()).size(), 8) << "no pattern lists every plain file";
}

TEST(ListFoldersTest, ChainFromTheRootThenSubFolders) {
    QTemporaryDir dir;
    QDir root(dir.path());
    root.mkpath(QStringLiteral("roms/snes/b"));
    root.mkpath(QStringLiteral("roms/snes/A"));
    root.mkpath(QStringLiteral("roms/snes/.git"));
    touch(root.filePath(QStringLiteral("roms/snes/file")));

    const QList<FolderEntry> entries =
        ListFolders(dir.path(), root.filePath(QStringLiteral("roms/snes")));
    QStringList shown;
    for (const FolderEntry& e : entries)
        shown.append(QString(e.depth, u'>') + e.name +
                     (e.isChain ? QStringLiteral("*") : QString()));
    EXPECT_EQ(shown, QStringList({QDir::cleanPath(dir.path()) + u'*', QStringLiteral(">roms*"),
                                  QStringLiteral(">>snes*"), QStringLiteral(">>>A"),
                                  QStringLiteral(">>>b")}));
    EXPECT_EQ(entries.last().path, root.filePath(QStringLiteral("roms/snes/b")));
}

TEST(ListFoldersTest, AtTheRootOnlyTheRootIsOnTheChain) {
    const QList<FolderEntry> entries = ListFolders(QStringLiteral("/"), QStringLiteral("/"));
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first().path, QStringLiteral("/"));
    for (qsizetype i = 1; i < entries.size(); ++i) {
        EXPECT_FALSE(entries[i].isChain);
        EXPECT_EQ(entries[i].path, u'/' + entries[i].name);
    }
}

struct ReselectCase {
    QStringList names;
    int savedIndex;
    const char* savedName;
    int expected;
};

class FindReselectionTest : public ::testing::TestWithParam<ReselectCase> {};

TEST_P(FindReselectionTest, FindsTheSavedName) {
    const ReselectCase& c = GetParam();
    EXPECT_EQ(FindReselection(c.names, c.savedIndex, QString::fromLatin1(c.savedName)), c.expected);
}

const QStringList abc{QStringLiteral("A.swc"), QStringLiteral("B.bak"), QStringLiteral("B.swc")};

INSTANTIATE_TEST_SUITE_P(
    Lists, FindReselectionTest,
    ::testing::Values(ReselectCase{abc, 1, "B.swc", 2},  // a new file sorts before it
                      ReselectCase{abc, 2, "B.swc", 2},  // unchanged
                      ReselectCase{abc, 2, "A.swc", 0},  // files before it were deleted
                      ReselectCase{abc, 7, "A.swc", 0},  // saved position past the end
                      ReselectCase{abc, 0, "C.swc", -1}, // the file is gone
                      ReselectCase{abc, 0, "b.swc", -1}, // case counts
                      ReselectCase{abc, -1, "", -1},     // nothing was selected
                      ReselectCase{{}, 0, "A.swc", -1}));

} // namespace
} // namespace kestrix
