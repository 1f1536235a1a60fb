// SPDX-License-Identifier: GPL-3.0-or-later
// The buttons against the real ucon64, built from its source by the build, and floppies of real
// size where a tmpfs can be mounted.
#include "core/parts.h"
#include "core/split.h"

#include "support.h"
#include "ui/console.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kestrix::test {
namespace {

const QString Done = u"Done!"_s;

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
        const QString copy = QDir(programFolder).filePath(u"ucon64"_s);
        ASSERT_TRUE(QFile::remove(copy) && QFile::copy(tool, copy));
        QDir().mkpath(path(u"home"_s));
        qputenv("UCON64_HOME", path(u"home"_s).toLocal8Bit());
        disks = std::make_unique<DiskBox>(floppy, path(u"box"_s));
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
        const QString sets = path(u"d/s%1"_s.arg(mbit));
        writeFile(u"c/roms/GAME.swc"_s, image);
        QDir().mkpath(sets);
        askSplit(u"GAME.swc"_s, sets.toLatin1().constData(), size);
        prompter.answer(Prompter::Answer::Ok);
        form->Command1->click();
        EXPECT_EQ(filesIn(sets).size(), mbit == 24 ? 6 : parts);
        open(sets, u"GAME.1"_s);
        prompter.type(sets + u"/OUT.swc"_s);
        prompter.answer(Prompter::Answer::Ok);
        form->Command2->click();
        if (parts == 3) {
            EXPECT_EQ(prompter.texts().last(),
                      PartsBeyondMessage({u"GAME.4"_s, u"GAME.5"_s, u"GAME.6"_s}, u"GAME.3"_s));
        } else {
            EXPECT_EQ(prompter.texts().last(), Done);
            EXPECT_TRUE(readFile(u"d/s%1/OUT.swc"_s.arg(mbit)) == image) << size;
            QFile::remove(sets + u"/OUT.swc"_s);
        }
    }
}

// Each fix changes the image and keeps the original as NAME.bak; Convert adds the header. With
// nothing selected none runs: given the folder, the tool would rewrite every image in it.
TEST_F(RealToolTest, FixesKeepTheOriginalAndConvertAddsTheHeader) {
    const QByteArray image = RomImage(8 * Mbit);
    writeFile(u"c/roms/GAME.sfc"_s, image);
    form = makeForm();
    for (QPushButton* button : {form->Command3, form->Command4, form->Command5}) {
        prompter.answer(Prompter::Answer::Ok);
        button->click();
    }
    EXPECT_EQ(filesIn(work), QStringList(u"GAME.sfc"_s));
    for (QPushButton* Form1::*button : {&Form1::Command3, &Form1::Command4, &Form1::Command5}) {
        writeFile(u"c/roms/GAME.swc"_s, image);
        QFile::remove(path(u"c/roms/GAME.bak"_s));
        open(work, u"GAME.swc"_s);
        (form.get()->*button)->click();
        EXPECT_TRUE(readFile(u"c/roms/GAME.bak"_s) == image)
            << (form.get()->*button)->text().toStdString();
        EXPECT_NE(readFile(u"c/roms/GAME.swc"_s), image)
            << (form.get()->*button)->text().toStdString() << " changed nothing";
    }
    writeFile(u"c/roms/RAW.sfc"_s, image.mid(512));
    open(work, u"RAW.sfc"_s);
    form->Command7->click();
    const QByteArray converted = readFile(u"c/roms/RAW.swc"_s);
    EXPECT_EQ(converted.size(), image.size());
    EXPECT_EQ(converted.mid(8, 3), QByteArray::fromHex("aabb04"));
    EXPECT_EQ(prompter.texts().size(), 3) << "one message for each fix with nothing selected";
}

// A name like an option reaches the tool as a file; the copier cannot answer here, so nothing
// is received and the window says why.
TEST_F(RealToolTest, AReceiveIntoANameLikeAnOption) {
    form = makeForm();
    prompter.type(u"-SAVE.SRM"_s);
    prompter.answer(Prompter::Answer::Ok);
    form->Command13->click();
    const QString output = form->ToolWindow()->Text1->toPlainText();
    EXPECT_TRUE(output.startsWith(u"ucon64 --xswcs ./-SAVE.SRM --port=378\n"_s));
    EXPECT_FALSE(output.contains(u"unrecognized option"_s)) << output.toStdString();
    EXPECT_TRUE(prompter.texts().last().startsWith(u"Nothing was received"_s));
    EXPECT_FALSE(QFileInfo::exists(QDir(own).filePath(u"-SAVE.SRM"_s)));
}

// Disk 1 is too full for a part, disk 2 holds an old part of the same name; the set goes onto
// disks 4, 2 and 3 and comes back byte for byte.
TEST_F(RealToolTest, FloppiesOfRealSizeTakeWholePartsOrSaySo) {
    if (!mountFloppy())
        GTEST_SKIP() << "mounting a floppy-sized tmpfs needs root";
    const QByteArray image = RomImage(24 * Mbit);
    writeFile(u"c/roms/GAME.swc"_s, image);
    writeFile(u"box/disk1/OTHER.DAT"_s, QByteArray(600000, 'x'));
    writeFile(u"box/disk2/GAME.2"_s, RomImage(8 * Mbit));
    disks->insert(1);
    askSplit(u"GAME.swc"_s, "A:\\", "8");
    prompter.answer(Prompter::Answer::Ok);
    prompter.answer(Prompter::Answer::Retry, [this] { disks->insert(4); });
    for (int disk : {2, 3})
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();
    disks->eject();

    ASSERT_EQ(prompter.texts().last(), Done) << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(prompter.texts()[3],
              DiskCopyFailedMessage(u"GAME.1 needs 1,052,672 bytes on the disk, "
                                    "which has room for 856,064."_s));
    EXPECT_EQ(filesIn(path(u"box/disk1"_s)), QStringList(u"OTHER.DAT"_s));

    disks->insert(4);
    form->Drive1->setCurrentIndex(0);
    open(floppy, u"GAME.1"_s);
    prompter.type(path(u"d/OUT.swc"_s));
    for (int disk : {2, 3})
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(), Done);
    EXPECT_TRUE(readFile(u"d/OUT.swc"_s) == image) << "the joined image differs";
}

// Straight onto the floppy the tool writes short parts and exits 0; a joined image that does not
// fit is kept where the tool wrote it.
TEST_F(RealToolTest, AFullFloppyIsNamedNotDone) {
    if (!mountFloppy())
        GTEST_SKIP() << "mounting a floppy-sized tmpfs needs root";
    writeFile(u"c/roms/GAME.swc"_s, RomImage(24 * Mbit));
    askSplit(u"GAME.swc"_s, "a:\\", "8");
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();
    EXPECT_EQ(
        prompter.texts().last(),
        u"ucon64 did not write the whole split: GAME.2 holds 405,504 of "
        "1,049,088 bytes; GAME.3 holds 0 bytes, less than its 512-byte "
        "header. The parts it wrote were removed. Is there room for them in \"%1\"?"_s.arg(floppy));

    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList()) << "no broken set stays";
    writeFile(u"c/roms/TWO.1"_s, RomImage(8 * Mbit, '+'));
    writeFile(u"c/roms/TWO.2"_s, RomImage(8 * Mbit, '.'));
    open(work, u"TWO.1"_s);
    prompter.type(u"A:\\TWO.swc"_s);
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();

    EXPECT_TRUE(prompter.texts().last().startsWith(
        u"Copying TWO.tmp to \"%1/TWO.swc\" stopped after "_s.arg(floppy)));
    EXPECT_TRUE(QFileInfo::exists(QDir(own).filePath(u"TWO.tmp"_s)));
    EXPECT_FALSE(QFileInfo::exists(path(u"floppy/TWO.swc"_s)));
}

} // namespace
} // namespace kestrix::test
