// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace kestrix::test {
namespace {

TEST(HostPathTest, ALeadingADriveMeansTheFloppyFolder) {
    const QString floppy = QStringLiteral("/media/floppy0");
    const struct {
        const char* typed;
        const char* host;
    } cases[] = {{"A:\\", "/media/floppy0"},
                 {"A:\\test.t", "/media/floppy0/test.t"},
                 {"A:\\\\GAME.1", "/media/floppy0/GAME.1"},
                 {"a:\\GAME.1", "/media/floppy0/GAME.1"},
                 {"A:\\DUMPS\\CART.SRM", "/media/floppy0/DUMPS/CART.SRM"},
                 {"/home/u/A:\\x", "/home/u/A:\\x"},
                 {"B:\\x", "B:\\x"}};
    for (const auto& c : cases)
        EXPECT_EQ(HostPath(QString::fromLatin1(c.typed), floppy), QString::fromLatin1(c.host))
            << c.typed;
    EXPECT_EQ(HostPath(QStringLiteral("A:\\test.t"), QString()), QString())
        << "without a floppy nothing on the host may stand in for it";
}

TEST(DriveOfTest, TheLongestRootHoldingTheFolderWins) {
    const QList<Volume> drives = {{floppyDrive(), {}, QStringLiteral("/media/floppy0")},
                                  {QStringLiteral("/"), {}, QStringLiteral("/")},
                                  {QStringLiteral("/home"), {}, QStringLiteral("/home")}};
    EXPECT_EQ(DriveOf(drives, QStringLiteral("/home/u/roms")).drive, QStringLiteral("/home"));
    EXPECT_EQ(DriveOf(drives, QStringLiteral("/homework")).drive, QStringLiteral("/"));
    EXPECT_EQ(DriveOf(drives, QStringLiteral("/media/floppy0")).drive, floppyDrive());
    EXPECT_EQ(DriveOf(drives, QStringLiteral("/media")).drive, QStringLiteral("/"));
}

class FoldersTest : public KestrixTest {};

// A staging folder that someone else could read or replace is never used.
TEST_F(FoldersTest, APrivateFolderIsOurOwnAndShutToOthers) {
    const QString wanted = path(QStringLiteral("stage"));
    const auto make = [&](QFile::Permissions mode) {
        QDir().mkdir(wanted, mode | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const struct {
        const char* label;
        std::function<bool()> arrange; // false: cannot be arranged here
        bool secondFolder;
    } cases[] = {
        {"missing", [] { return true; }, false},
        {"ours and shut",
         [&] {
             make({});
             return true;
         },
         false},
        {"open to others",
         [&] {
             make(QFile::ReadOther | QFile::ExeOther);
             return true;
         },
         true},
        {"a link to ours", [&] { return QFile::link(path(QStringLiteral("c")), wanted); }, true},
        {"a file",
         [&] {
             writeFile(QStringLiteral("stage"));
             return true;
         },
         true},
        {"someone else's",
         [&] {
             make({});
             return ::chown(QFile::encodeName(wanted), 65534, 65534) == 0;
         },
         true}};
    for (const auto& c : cases) {
        QDir(wanted + QStringLiteral("-2")).removeRecursively();
        QFile::remove(wanted);
        QDir(wanted).removeRecursively();
        if (!c.arrange())
            continue; // changing a folder's owner needs root
        const Result<QString> folder = PrivateFolder(wanted, ::getuid());
        ASSERT_TRUE(folder) << c.label << ": " << folder.error().toStdString();
        EXPECT_EQ(*folder, c.secondFolder ? wanted + QStringLiteral("-2") : wanted) << c.label;
        EXPECT_EQ(QFileInfo(*folder).permissions() & QFile::Permissions(0x7077),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
            << c.label;
    }
}

TEST_F(FoldersTest, TheWorkFolderIsTheProgramFolderWhenTheUserCanWriteThere) {
    EXPECT_EQ(WorkFolder(programFolder, path(QStringLiteral("share"))), programFolder);
    if (!mountReadOnly(programFolder))
        GTEST_SKIP() << "a read-only program folder needs root for its bind mount";
    EXPECT_EQ(WorkFolder(programFolder, path(QStringLiteral("share"))),
              path(QStringLiteral("share/kestrix")));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("share/kestrix"))).isDir());
}

} // namespace
} // namespace kestrix::test
