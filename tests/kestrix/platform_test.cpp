// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include "support/printers.h"

#include <gtest/gtest.h>

namespace kestrix {
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

} // namespace
} // namespace kestrix
