// SPDX-License-Identifier: GPL-3.0-or-later
// The buttons against the real ucon64, built from its source by the build, and floppies of real
// size where a tmpfs can be mounted.
#include "core/join.h"
#include "core/parts.h"
#include "core/split.h"

#include "support.h"
#include "ui/console.h"
#include "ui/lists.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kestrix::test {
namespace {

const QString Done = QStringLiteral("Done!");

class RealToolTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        const QString tool = QStringLiteral(KESTRIX_REAL_UCON64);
        if (tool.isEmpty()) {
            if (qEnvironmentVariableIsSet("KESTRIX_REQUIRE_REAL_TOOL"))
                FAIL() << "the real ucon64 was not built: configure with -DKESTRIX_UCON64_SOURCE";
            GTEST_SKIP() << "no ucon64 source: configure with -DKESTRIX_UCON64_SOURCE=DIR";
        }
        const QString copy = QDir(programFolder).filePath(QStringLiteral("ucon64"));
        ASSERT_TRUE(QFile::remove(copy) && QFile::copy(tool, copy));
        QDir().mkpath(path(QStringLiteral("home")));
        qputenv("UCON64_HOME", path(QStringLiteral("home")).toLocal8Bit());
        disks = std::make_unique<DiskBox>(floppy, path(QStringLiteral("box")));
    }
    // A 1.44 MB disk: the floppy folder becomes a volume with 1,457,664 bytes of room.
    bool mountFloppy() { return mountTmpfs(floppy, 1457664); }
    void open(const QString& folder, const QString& name) {
        if (!form)
            form = makeForm();
        select(*form, folder, name);
    }
    // Selects the image and answers Split's two questions; the rest is up to the test.
    void askSplit(const QString& image, const char* destination, const char* size) {
        open(work, image);
        prompter.type(QString::fromLatin1(destination));
        prompter.type(QString::fromLatin1(size));
    }

    std::unique_ptr<DiskBox> disks;
    std::unique_ptr<Form1> form;
};

// Split into a folder and joined back, byte for byte the image; a later split into fewer parts
// leaves older ones beyond its last part, which the real tool would join in.
TEST_F(RealToolTest, SplitIntoAFolderAndJoinedBack) {
    const std::tuple<int, const char*, int> rounds[] = {{36, "4", 9}, {24, "4", 6}, {24, "8", 3}};
    for (const auto& [mbit, size, parts] : rounds) {
        const QByteArray image = RomImage(mbit * Mbit);
        const QString sets = path(QStringLiteral("d/s%1").arg(mbit));
        writeFile(QStringLiteral("c/roms/GAME.swc"), image);
        QDir().mkpath(sets);
        askSplit(QStringLiteral("GAME.swc"), sets.toLatin1().constData(), size);
        prompter.answer(Prompter::Answer::Ok);
        form->Command1->click();
        EXPECT_EQ(filesIn(sets).size(), mbit == 24 ? 6 : parts);
        open(sets, QStringLiteral("GAME.1"));
        prompter.type(sets + QStringLiteral("/OUT.swc"));
        prompter.answer(Prompter::Answer::Ok);
        form->Command2->click();
        if (parts == 3) {
            EXPECT_EQ(prompter.texts().last(),
                      PartsBeyondMessage({QStringLiteral("GAME.4"), QStringLiteral("GAME.5"),
                                          QStringLiteral("GAME.6")},
                                         QStringLiteral("GAME.3")));
        } else {
            EXPECT_EQ(prompter.texts().last(), Done);
            EXPECT_TRUE(readFile(QStringLiteral("d/s%1/OUT.swc").arg(mbit)) == image) << size;
            QFile::remove(sets + QStringLiteral("/OUT.swc"));
        }
    }
}

// Each fix changes the image and keeps the original as NAME.bak; Convert adds the header. With
// nothing selected none runs: given the folder, the tool would rewrite every image in it.
TEST_F(RealToolTest, FixesKeepTheOriginalAndConvertAddsTheHeader) {
    const QByteArray image = RomImage(8 * Mbit);
    writeFile(QStringLiteral("c/roms/GAME.sfc"), image);
    form = makeForm();
    for (QPushButton* button : {form->Command3, form->Command4, form->Command5}) {
        prompter.answer(Prompter::Answer::Ok);
        button->click();
    }
    EXPECT_EQ(filesIn(work), QStringList(QStringLiteral("GAME.sfc")));
    for (QPushButton* Form1::*button : {&Form1::Command3, &Form1::Command4, &Form1::Command5}) {
        writeFile(QStringLiteral("c/roms/GAME.swc"), image);
        QFile::remove(path(QStringLiteral("c/roms/GAME.bak")));
        open(work, QStringLiteral("GAME.swc"));
        (form.get()->*button)->click();
        EXPECT_TRUE(readFile(QStringLiteral("c/roms/GAME.bak")) == image)
            << (form.get()->*button)->text().toStdString();
        EXPECT_NE(readFile(QStringLiteral("c/roms/GAME.swc")), image)
            << (form.get()->*button)->text().toStdString() << " changed nothing";
    }
    writeFile(QStringLiteral("c/roms/RAW.sfc"), image.mid(512));
    open(work, QStringLiteral("RAW.sfc"));
    form->Command7->click();
    const QByteArray converted = readFile(QStringLiteral("c/roms/RAW.swc"));
    EXPECT_EQ(converted.size(), image.size());
    EXPECT_EQ(converted.mid(8, 3), QByteArray::fromHex("aabb04"));
    EXPECT_EQ(prompter.texts().size(), 3) << "one message for each fix with nothing selected";
}

// A name like an option reaches the tool as a file; the copier cannot answer here, so nothing
// is received and the window says why.
TEST_F(RealToolTest, AReceiveIntoANameLikeAnOption) {
    form = makeForm();
    prompter.type(QStringLiteral("-SAVE.SRM"));
    prompter.answer(Prompter::Answer::Ok);
    form->Command13->click();
    const QString output = form->ToolWindow()->Text1->toPlainText();
    EXPECT_TRUE(output.startsWith(QStringLiteral("ucon64 --xswcs ./-SAVE.SRM --port=378\n")));
    EXPECT_FALSE(output.contains(QStringLiteral("unrecognized option"))) << output.toStdString();
    EXPECT_TRUE(prompter.texts().last().startsWith(QStringLiteral("Nothing was received")));
    EXPECT_FALSE(QFileInfo::exists(QDir(own).filePath(QStringLiteral("-SAVE.SRM"))));
}

// Disk 1 is too full for a part, disk 2 holds an old part of the same name; the set goes onto
// disks 4, 2 and 3 and comes back byte for byte.
TEST_F(RealToolTest, FloppiesOfRealSizeTakeWholePartsOrSaySo) {
    if (!mountFloppy())
        GTEST_SKIP() << "mounting a floppy-sized tmpfs needs root";
    const QByteArray image = RomImage(24 * Mbit);
    writeFile(QStringLiteral("c/roms/GAME.swc"), image);
    writeFile(QStringLiteral("box/disk1/OTHER.DAT"), QByteArray(600000, 'x'));
    writeFile(QStringLiteral("box/disk2/GAME.2"), RomImage(8 * Mbit));
    disks->insert(1);
    askSplit(QStringLiteral("GAME.swc"), "A:\\", "8");
    prompter.answer(Prompter::Answer::Ok);
    prompter.answer(Prompter::Answer::Retry, [this] { disks->insert(4); });
    for (int disk : {2, 3})
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();
    disks->eject();

    ASSERT_EQ(prompter.texts().last(), Done) << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(prompter.texts()[3],
              DiskCopyFailedMessage(QStringLiteral("GAME.1 needs 1,052,672 bytes on the disk, "
                                                   "which has room for 856,064.")));
    EXPECT_EQ(disks->files(1), QStringList(QStringLiteral("OTHER.DAT")));

    disks->insert(4);
    form->Drive1->setCurrentIndex(0);
    open(floppy, QStringLiteral("GAME.1"));
    prompter.type(path(QStringLiteral("d/OUT.swc")));
    for (int disk : {2, 3})
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(), Done);
    EXPECT_TRUE(readFile(QStringLiteral("d/OUT.swc")) == image) << "the joined image differs";
}

// Straight onto the floppy the tool writes short parts and exits 0; a joined image that does not
// fit is kept where the tool wrote it.
TEST_F(RealToolTest, AFullFloppyIsNamedNotDone) {
    if (!mountFloppy())
        GTEST_SKIP() << "mounting a floppy-sized tmpfs needs root";
    writeFile(QStringLiteral("c/roms/GAME.swc"), RomImage(24 * Mbit));
    askSplit(QStringLiteral("GAME.swc"), "a:\\", "8");
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();
    EXPECT_EQ(
        prompter.texts().last(),
        QStringLiteral("ucon64 did not write the whole split: GAME.2 holds 405,504 of "
                       "1,049,088 bytes; GAME.3 holds 0 bytes, less than its 512-byte "
                       "header. The parts it wrote were removed. Is there room for them in \"%1\"?")
            .arg(floppy));

    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList()) << "no broken set stays";
    writeFile(QStringLiteral("c/roms/TWO.1"), RomImage(8 * Mbit, '+'));
    writeFile(QStringLiteral("c/roms/TWO.2"), RomImage(8 * Mbit, '.'));
    open(work, QStringLiteral("TWO.1"));
    prompter.type(QStringLiteral("A:\\TWO.swc"));
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();

    EXPECT_TRUE(prompter.texts().last().startsWith(
        QStringLiteral("Copying TWO.tmp to \"%1/TWO.swc\" stopped after ").arg(floppy)));
    EXPECT_TRUE(QFileInfo::exists(QDir(own).filePath(QStringLiteral("TWO.tmp"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("floppy/TWO.swc"))));
}

} // namespace
} // namespace kestrix::test
