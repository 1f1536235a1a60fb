// SPDX-License-Identifier: GPL-3.0-or-later
// The header panel as the user sees it after selecting files.
#include "support/fixture.h"
#include "tool/cmdline.h"
#include "window/lists.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace kestrix::test {
namespace {

QByteArray rom(const char* firstThree, const char* id = "AABB04", int tail = 0) {
    QByteArray bytes =
        QByteArray::fromHex(firstThree) + QByteArray(5, '\0') + QByteArray::fromHex(id);
    return bytes + QByteArray(tail, '\xff');
}

class PanelTest : public KestrixTest {
protected:
    QStringList panel() const {
        return {form->Label2->text(), form->Label3->text(), form->Label4->text(),
                form->Label5->text(), form->Label6->text(), form->Label7->text(),
                form->Label8->text()};
    }
    void select(const QString& name) {
        const int row = static_cast<int>(form->File1->fileNames().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString() << " is not listed";
        form->File1->setListIndex(row);
    }
    std::unique_ptr<Form1> form;
};

const QStringList dashes{QStringLiteral("---"), QStringLiteral("MBit"), QStringLiteral("---"),
                         QStringLiteral("---"), QStringLiteral("---"),  QStringLiteral("---"),
                         QStringLiteral("---")};
const QStringList sixteenNoSram{QStringLiteral("16"),           QStringLiteral("MBit"),
                                QStringLiteral("Mode 0"),       QStringLiteral("Non-Multi"),
                                QStringLiteral("SRAM Mode 20"), QStringLiteral("DRAM Mode 20"),
                                QStringLiteral("No SRAM")};

TEST_F(PanelTest, SmcNamesShowDashesAndUpperCaseSmcIsRead) {
    writeFile(QStringLiteral("c/roms/GAME.smc"), rom("00010C"));
    writeFile(QStringLiteral("c/roms/GAME.SMC"), rom("00010C"));
    writeFile(QStringLiteral("c/roms/NOID.swc"), rom("000100", "AABB05"));
    form = makeForm();

    select(QStringLiteral("GAME.smc"));
    EXPECT_EQ(panel(), dashes);
    select(QStringLiteral("NOID.swc"));
    EXPECT_EQ(panel(), dashes) << "a file without identifier keeps the panel";
    select(QStringLiteral("GAME.SMC"));
    EXPECT_EQ(panel(), sixteenNoSram);
}

TEST_F(PanelTest, ShortMissingAndUnreadableFilesLeaveThePanel) {
    writeFile(QStringLiteral("c/roms/A.swc"), rom("00010C"));
    writeFile(QStringLiteral("c/roms/B.swc"), QByteArray::fromHex("00010C0000000000AABB"));
    writeFile(QStringLiteral("c/roms/C.swc"), rom("80007C"));
    form = makeForm();
    select(QStringLiteral("A.swc"));
    ASSERT_EQ(panel(), sixteenNoSram);

    select(QStringLiteral("B.swc"));
    EXPECT_EQ(panel(), sixteenNoSram) << "10 bytes are no header";
    QFile::remove(QDir(work).filePath(QStringLiteral("C.swc")));
    select(QStringLiteral("C.swc"));
    EXPECT_EQ(panel(), sixteenNoSram) << "a vanished file leaves the panel";
    EXPECT_FALSE(QFile::exists(QDir(work).filePath(QStringLiteral("C.swc"))))
        << "the inspection must never create a file";
    EXPECT_TRUE(prompter.shown().isEmpty()) << "no message on any path";
}

TEST_F(PanelTest, AFileWithoutReadPermissionLeavesThePanel) {
    writeFile(QStringLiteral("c/roms/A.swc"), rom("00010C"));
    writeFile(QStringLiteral("c/roms/D.swc"), rom("80007C"));
    const QString locked = QDir(work).filePath(QStringLiteral("D.swc"));
    QFile::setPermissions(locked, QFileDevice::Permissions{});
    if (QFile(locked).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user (root) reads any file, so permission cannot be refused";
    form = makeForm();
    select(QStringLiteral("A.swc"));
    select(QStringLiteral("D.swc"));
    EXPECT_EQ(panel(), sixteenNoSram);
    EXPECT_TRUE(prompter.shown().isEmpty()) << "no message on any path";
}

TEST_F(PanelTest, ReadOnlyFileIsReadAndLeftAlone) {
    writeFile(QStringLiteral("c/roms/RO.swc"), rom("64007C", "AABB04", 100));
    const QString file = QDir(work).filePath(QStringLiteral("RO.swc"));
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    const QByteArray before = readFile(QStringLiteral("c/roms/RO.swc"));
    form = makeForm();
    select(QStringLiteral("RO.swc"));
    EXPECT_EQ(form->Label2->text(), QStringLiteral("6.25"));
    EXPECT_EQ(readFile(QStringLiteral("c/roms/RO.swc")), before);
    EXPECT_FALSE(form->Slot1().isOpen()) << "the slot must be closed after each inspection";
}

TEST_F(PanelTest, MouseKeyboardAndReselectionAfterAToolRunRefreshIt) {
    writeFile(QStringLiteral("c/roms/A.swc"), rom("00010C"));
    writeFile(QStringLiteral("c/roms/GAME.swc"), rom("0002FC"));
    form = makeForm();
    form->show();
    const QModelIndex first = form->File1->model()->index(0, 0);
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                      form->File1->visualRect(first).center());
    EXPECT_EQ(panel(), sixteenNoSram) << "a click must show the clicked file's header";
    form->File1->setListIndex(-1);
    form->File1->setFocus();
    QTest::keyClick(form->File1, Qt::Key_Down); // the first entry
    QTest::keyClick(form->File1, Qt::Key_Down);
    ASSERT_EQ(form->File1->fileName(), QStringLiteral("GAME.swc"));
    EXPECT_EQ(form->Label2->text(), QStringLiteral("32"));
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Mode 1"));

    // The stand-in keeps GAME.bak, which sorts before GAME.swc; the panel shows GAME.swc again.
    form->Label2->setText(QStringLiteral("stale"));
    ASSERT_TRUE(form->RunAndWait(QStringLiteral("ucon64 --chk ") + QuotePath(form->SelectedPath()) +
                                 QStringLiteral(" -o=") + QuotePath(work))
                    .started());
    EXPECT_EQ(form->File1->listIndex(), 2);
    EXPECT_EQ(form->Label2->text(), QStringLiteral("32"));
}

} // namespace
} // namespace kestrix::test
