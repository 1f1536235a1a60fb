// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"
#include "window/qtprompter.h"

#include "support/fixture.h"
#include "tool/cmdline.h"
#include "window/lists.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace kestrix::test {
namespace {

class Form1Test : public KestrixTest {
protected:
    QStringList panel(const Form1& f) {
        return {f.Label2->text(), f.Label3->text(), f.Label4->text(), f.Label5->text(),
                f.Label6->text(), f.Label7->text(), f.Label8->text()};
    }
    // Opens a folder list entry as the user does: select it and press Enter.
    void openFolder(Form1& f, const QString& name) {
        for (int row = 0; row < f.Dir1->count(); ++row) {
            if (f.Dir1->item(row)->text().trimmed() == name) {
                f.Dir1->setCurrentRow(row);
                QTest::keyClick(f.Dir1, Qt::Key_Return);
                return;
            }
        }
        ADD_FAILURE() << "no folder entry " << name.toStdString();
    }
};

TEST_F(Form1Test, StartUpState) {
    writeFile(QStringLiteral("c/roms/GAME.SWC"));
    auto form = makeForm();
    Form1& f = *form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Kestrix v1.2"));
    EXPECT_EQ(f.focusWidget(), f.File1) << "the file list must have the focus at start";
    EXPECT_EQ(f.Combo1->count(), 10);
    EXPECT_EQ(f.Combo1->itemText(0), QStringLiteral("Force 32MBit Dump"));
    EXPECT_EQ(f.Combo1->itemText(9), QStringLiteral("044 (eg. Yoshi's Island)"));
    EXPECT_EQ(f.Combo1->currentIndex(), -1);
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("SWC: I/O Mode"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("378"));
    EXPECT_FALSE(f.Check1->isChecked());
    EXPECT_EQ(panel(f), QStringList({QString(), QStringLiteral("MBit"), QStringLiteral("Mode"),
                                     QStringLiteral("Image Type"), QStringLiteral("SR-Map-Mode"),
                                     QStringLiteral("DR-Map-Mode"), QStringLiteral("SRAM Size")}));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Kestrix - v1.2"));
    EXPECT_EQ(f.Label9->text(), QStringLiteral("0"));
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_EQ(f.Timer1->interval(), 10);
    EXPECT_EQ(f.Drive1->drive(), QStringLiteral("/"));
    EXPECT_EQ(f.Dir1->path(), work);
    EXPECT_EQ(f.File1->fileNames(), QStringList{QStringLiteral("GAME.SWC")});
    EXPECT_EQ(f.File1->listIndex(), -1);
    EXPECT_EQ(f.size(), QSize(497, 553));
}

TEST_F(Form1Test, EveryControlCarriesItsNameAndCaption) {
    auto form = makeForm();
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"Command1", "Split"},
                   {"Command2", "Join"},
                   {"Command3", "Slowrom Fix"},
                   {"Command4", "Fix Checksum"},
                   {"Command5", "PAL/NTSC Fix"},
                   {"Command7", "Convert to .swc"},
                   {"Command10", "Send ROM"},
                   {"Command11", "Receive ROM"},
                   {"Command12", "Send SRAM"},
                   {"Command13", "Receive SRAM"},
                   {"Command14", "SRAM to cartridge"},
                   {"Command15", "SRAM from cartridge"},
                   {"Command16", "Get RTS Data"},
                   {"Command17", "Put RTS Data"},
                   {"Command8", "About"},
                   {"Command9", "Quit"}};
    for (const auto& b : buttons) {
        auto* button = form->findChild<QPushButton*>(QString::fromLatin1(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromLatin1(b.caption)) << b.name;
    }
    EXPECT_EQ(form->Frame1->title(), QStringLiteral("File Browser"));
    EXPECT_EQ(form->Frame2->title(), QStringLiteral("Local Operations"));
    EXPECT_EQ(form->Frame3->title(), QStringLiteral("LPT Operations"));
    EXPECT_EQ(form->Check1->text(), QStringLiteral("Real-Time Save Mode"));
    EXPECT_EQ(form->Label10->text(), QStringLiteral("LPT Port"));
    EXPECT_EQ(form->Label11->text(), QStringLiteral("0x"));
    EXPECT_EQ(form->Command1->parent(), form->Frame2);
    EXPECT_EQ(form->Command10->parent(), form->Frame3);
    EXPECT_EQ(form->Command9->geometry(), QRect(400, 520, 89, 25));
    EXPECT_FALSE(form->File2->isVisibleTo(form.get()));
}

TEST_F(Form1Test, TitleSwingsWithTheTimer) {
    auto form = makeForm();
    form->Timer1->stop();
    const int startX = form->Label1->x();
    for (int i = 0; i < 62; ++i)
        form->Timer1_Timer();
    EXPECT_EQ(form->Label9->text(), QStringLiteral("3.1"));
    EXPECT_EQ(form->Label1->x() - startX, 200) << "about 2999.6 twips to the right";
    EXPECT_EQ(form->Label1->y(), 525) << "the title never moves vertically";
    for (int i = 62; i < 126; ++i)
        form->Timer1_Timer();
    EXPECT_EQ(form->Label9->text(), QStringLiteral("0"));
    EXPECT_EQ(form->Label1->x(), startX);

    form->Timer1->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Label9->text() != QStringLiteral("0"); }))
        << "the running timer must step the phase";
}

TEST_F(Form1Test, OpeningAFolderMovesTheFileListOnly) {
    writeFile(QStringLiteral("c/roms/snes/IN.SWC"));
    writeFile(QStringLiteral("c/roms/OUT.SWC"), QByteArray(16, 'x'));
    auto form = makeForm();
    form->Label4->setText(QStringLiteral("Mode 1"));
    QSignalSpy driveChanges(form->Drive1, &DriveListBox::changed);

    openFolder(*form, QStringLiteral("snes"));
    EXPECT_EQ(form->Dir1->path(), QDir(work).filePath(QStringLiteral("snes")));
    EXPECT_EQ(form->File1->fileNames(), QStringList{QStringLiteral("IN.SWC")});
    EXPECT_EQ(form->File1->listIndex(), -1);
    EXPECT_EQ(form->Drive1->drive(), QStringLiteral("/"));
    EXPECT_EQ(driveChanges.count(), 0);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Mode 1")) << "the panel keeps its texts";

    openFolder(*form, QStringLiteral("roms"));
    EXPECT_EQ(form->Dir1->path(), work) << "the chain leads back up";
    EXPECT_EQ(form->File1->fileNames(), QStringList{QStringLiteral("OUT.SWC")});
}

TEST_F(Form1Test, PickingADriveMovesBothListsAndComesBackToItsLastFolder) {
    writeFile(QStringLiteral("d/DATA.SWC"));
    writeFile(QStringLiteral("floppy/DISK.1"));
    auto form = makeForm();
    form->Label5->setText(QStringLiteral("Non-Multi"));

    form->Drive1->setCurrentIndex(2); // "/data"
    EXPECT_EQ(form->Drive1->drive(), QStringLiteral("/data"));
    EXPECT_EQ(form->Dir1->path(), data);
    EXPECT_EQ(form->File1->fileNames(), QStringList{QStringLiteral("DATA.SWC")});

    form->Drive1->setCurrentIndex(0);
    EXPECT_EQ(form->Drive1->drive(), floppyDrive());
    EXPECT_EQ(form->Dir1->path(), floppy);
    EXPECT_EQ(form->File1->fileNames(), QStringList{QStringLiteral("DISK.1")});

    form->Drive1->setCurrentIndex(1);
    EXPECT_EQ(form->Dir1->path(), work) << "a drive comes back to the folder last open on it";
    EXPECT_EQ(form->Label5->text(), QStringLiteral("Non-Multi")) << "the panel keeps its texts";
    EXPECT_TRUE(prompter.shown().isEmpty());
}

TEST_F(Form1Test, ADriveThatIsNotReadyLeavesEverythingWhereItWas) {
    Platform p = platform();
    p.floppyRoot.clear();
    p.volumes.append({QStringLiteral("/gone"), {}, path(QStringLiteral("gone"))});
    auto form = makeForm(p);
    prompter.answer(Prompter::Answer::Ok);
    prompter.answer(Prompter::Answer::Ok);

    form->Drive1->setCurrentIndex(0);
    EXPECT_EQ(form->Drive1->drive(), QStringLiteral("/"));
    EXPECT_EQ(form->Dir1->path(), work);

    form->Drive1->setCurrentIndex(3);
    EXPECT_EQ(form->Drive1->drive(), QStringLiteral("/"));
    EXPECT_EQ(form->Dir1->path(), work);
    EXPECT_EQ(prompter.texts(),
              QStringList({QStringLiteral("Drive a: is not ready: no floppy drive was found. Set "
                                          "KESTRIX_FLOPPY to the folder where the floppy is "
                                          "mounted."),
                           QStringLiteral("Drive /gone is not ready.")}));
    EXPECT_EQ(prompter.shown()[1].title, QString()) << "the default title";
}

TEST_F(Form1Test, RunAndWaitWithNothingSelectedSelectsNothing) {
    writeFile(QStringLiteral("c/roms/GAME.SWC"));
    auto form = makeForm();
    QSignalSpy clicks(form->File1, &FileListBox::fileClicked);
    ASSERT_TRUE(form->RunAndWait(QStringLiteral("ucon64 --chk ") +
                                 QuotePath(QDir(work).filePath(QStringLiteral("GAME.SWC"))) +
                                 QStringLiteral(" -o=") + QuotePath(work))
                    .started());
    EXPECT_EQ(form->File1->listCount(), 2) << "the list is re-read";
    EXPECT_EQ(form->File1->listIndex(), -1);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(Form1Test, RunAndWaitWhenTheSelectedFileIsGone) {
    writeFile(QStringLiteral("c/roms/A.SWC"));
    writeFile(QStringLiteral("c/roms/B.SWC"));
    auto form = makeForm();
    form->File1->setListIndex(1);
    form->Label4->setText(QStringLiteral("Mode 1"));
    QFile::remove(QDir(work).filePath(QStringLiteral("B.SWC")));

    ASSERT_TRUE(form->RunAndWait(QStringLiteral("ucon64 -l nothing")).started());
    EXPECT_EQ(form->File1->fileNames(), QStringList{QStringLiteral("A.SWC")});
    EXPECT_EQ(form->File1->listIndex(), -1);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Mode 1"));
}

TEST_F(Form1Test, F5ReadsTheListsAgainKeepingTheSelection) {
    writeFile(QStringLiteral("c/roms/B.SWC"));
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->File1->setListIndex(0);
    writeFile(QStringLiteral("c/roms/A.SWC"));

    QTest::keyClick(form->File1, Qt::Key_F5);
    EXPECT_EQ(form->File1->fileNames(),
              QStringList({QStringLiteral("A.SWC"), QStringLiteral("B.SWC")}));
    EXPECT_EQ(form->File1->fileName(), QStringLiteral("B.SWC"));
}

TEST_F(Form1Test, RunAndWaitWithoutTheToolTellsWhereItLooked) {
    writeFile(QStringLiteral("c/roms/GAME.SWC"));
    QFile::remove(QDir(programFolder).filePath(QStringLiteral("ucon64")));
    qputenv("PATH", path(QStringLiteral("empty")).toLocal8Bit());
    auto form = makeForm();
    form->File1->setListIndex(0);
    writeFile(QStringLiteral("c/roms/LATE.SWC"));
    prompter.answer(Prompter::Answer::Ok);

    EXPECT_FALSE(form->RunAndWait(QStringLiteral("ucon64 --chk GAME.SWC")).started());
    ASSERT_EQ(prompter.shown().size(), 1);
    EXPECT_TRUE(prompter.shown()[0].text.contains(programFolder));
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("\"ucon64\"")));
    EXPECT_EQ(form->File1->listCount(), 1) << "no refresh after a failed start";
    EXPECT_EQ(form->File1->fileName(), QStringLiteral("GAME.SWC"));
}

// A box that asks is never answered OK or Yes by Escape.
TEST(QtPrompterTest, EscapeCancels) {
    QtPrompter prompter;
    const std::pair<Prompter::Buttons, Prompter::Answer> cases[] = {
        {Prompter::Buttons::OkCancel, Prompter::Answer::Cancel},
        {Prompter::Buttons::RetryCancel, Prompter::Answer::Cancel},
        {Prompter::Buttons::YesNo, Prompter::Answer::No}};
    for (const auto& [buttons, answer] : cases) {
        QTimer::singleShot(0, [] {
            if (QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }))
                QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(prompter.message(QStringLiteral("Insert new disk"), {}, buttons,
                                   QStringLiteral("GAME.2: part 2 of 3")),
                  answer);
    }
}

TEST_F(Form1Test, QuitClosesTheWindow) {
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(form->isVisible());
    QTest::mouseClick(form->Command9, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace kestrix::test
