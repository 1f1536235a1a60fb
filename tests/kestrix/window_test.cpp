// SPDX-License-Identifier: GPL-3.0-or-later
// The windows: the browser, the header panel and the game row, the title, the About window, the
// tool's console window, the floppy copy's bar, and the message boxes.
#include "gameimages.h"
#include "support.h"
#include "ui/console.h"
#include "ui/form2.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QTextBlock>
#include <QThreadPool>
#include <QTimer>

namespace kestrix::test {
namespace {

class WindowTest : public KestrixTest {
protected:
    QString panel() const {
        return QStringList({form->Label2->text(), form->Label4->text(), form->Label5->text(),
                            form->Label6->text(), form->Label7->text(), form->Label8->text()})
            .join(u'|');
    }
    std::unique_ptr<Form1> form;
};

// It starts in the current folder with nothing selected. A folder moves the file list only; a
// drive moves both and comes back to its last folder; a drive that is not ready leaves
// everything where it was, and a: with no disk shows empty. None touches the panel. F5 re-reads.
TEST_F(WindowTest, TheBrowserFollowsFoldersAndDrives) {
    for (const QString& file :
         {u"c/roms/TOP.SWC"_s, u"c/roms/snes/IN.SWC"_s, u"d/DATA.SWC"_s, u"floppy/DISK.1"_s})
        writeFile(file);
    Platform p = platform();
    p.volumes.append({u"/gone"_s, {}, path(u"gone"_s)});
    form = makeForm(p);
    EXPECT_EQ(form->File1->fileNames(), QStringList(u"TOP.SWC"_s));
    EXPECT_EQ(form->File1->listIndex(), -1);
    form->show();
    form->Label5->setText(u"kept"_s);
    form->Dir1->setCurrentRow(form->Dir1->count() - 1);
    QTest::keyClick(form->Dir1, Qt::Key_Return); // opens "snes"
    EXPECT_EQ(form->File1->fileNames(), QStringList(u"IN.SWC"_s));
    form->Drive1->setCurrentIndex(2); // "/data"
    EXPECT_EQ(form->File1->fileNames(), QStringList(u"DATA.SWC"_s));
    form->Drive1->setCurrentIndex(0);
    EXPECT_EQ(form->Dir1->path(), floppy);
    QDir(floppy).removeRecursively(); // the disk taken out: a: shows empty
    form->Drive1->setCurrentIndex(1);
    form->Drive1->setCurrentIndex(0);
    EXPECT_EQ(form->Dir1->count() + form->File1->listCount(), 0);
    QDir().mkpath(floppy);
    form->Drive1->setCurrentIndex(1);
    EXPECT_EQ(form->Dir1->path(), work + u"/snes"_s);
    prompter.answer(Prompter::Answer::Ok);
    form->Drive1->setCurrentIndex(3);
    EXPECT_EQ(prompter.texts(), QStringList(u"Drive /gone is not ready."_s));
    EXPECT_EQ(form->Drive1->drive(), u"/"_s);
    EXPECT_EQ(form->Label5->text(), u"kept"_s);

    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->File1->setListIndex(0);
    writeFile(u"c/roms/snes/A.SWC"_s);
    QTest::keyClick(form->File1, Qt::Key_F5);
    EXPECT_EQ(form->File1->fileNames(), QStringList({u"A.SWC"_s, u"IN.SWC"_s}));
    EXPECT_EQ(form->File1->fileName(), u"IN.SWC"_s);
}

// What the panel shows as files are selected by mouse or keyboard, and when none is.
TEST_F(WindowTest, ThePanelShowsTheSelectedHeader) {
    const auto rom = [](const char* firstThree) {
        return QByteArray::fromHex(firstThree) + QByteArray(5, '\0') +
               QByteArray::fromHex("aabb04");
    };
    const char* unknown = "---|---|---|---|---|---";
    // In the list's order.
    const std::tuple<const char*, QByteArray, const char*> files[] = {
        {"A.swc", rom("00010c"), "16|Mode 0|Non-Multi|SRAM Mode 20|DRAM Mode 20|No SRAM"},
        {"B.swc", rom("00010c").left(10), unknown},
        {"GAME.SMC", rom("6400fc"), "6.25|Mode 1|Multi-Image|SRAM Mode 21|DRAM Mode 21|No SRAM"},
        {"GAME.smc", rom("00020c"), unknown}}; // not read
    for (const auto& [name, bytes, shown] : files)
        writeFile(u"c/roms/"_s + QLatin1String(name), bytes);
    QFile::setPermissions(path(u"c/roms/GAME.SMC"_s), QFile::ReadOwner);
    form = makeForm();
    form->show();
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                      form->File1->visualRect(form->File1->model()->index(0, 0)).center());
    for (const auto& [name, bytes, shown] : files) {
        if (name != get<0>(files[0]))
            QTest::keyClick(form->File1, Qt::Key_Down);
        EXPECT_EQ(panel(), QLatin1String(shown)) << name;
    }
    EXPECT_FALSE(form->Slot1().isOpen());
    form->File1->setListIndex(0);
    QFile::remove(path(u"c/roms/A.swc"_s));
    form->File1->setListIndex(0); // clicked again
    EXPECT_EQ(panel(), QLatin1String(unknown)) << "a vanished file is unknown";
    EXPECT_FALSE(QFile::exists(path(u"c/roms/A.swc"_s)));
    form->File1->setListIndex(2);
    form->File1->setListIndex(-1);
    ASSERT_TRUE(form->RunAndWait(u"ucon64 -l nothing"_s).ended());
    EXPECT_EQ(form->File1->listIndex(), -1) << "nothing selected stays so";
    EXPECT_EQ(panel(), QLatin1String(unknown))
        << "nor does the panel show the file selected before";
    QFile::remove(QDir(programFolder).filePath(u"ucon64"_s));
    qputenv("PATH", path(u"empty"_s).toLocal8Bit());
    const RunResult missing = form->RunAndWait(u"ucon64 -l x"_s);
    EXPECT_TRUE(!missing.ended() && missing.reason().contains(programFolder)) << "where it looked";
}

// The game's own header shows at once under the panel, its checksum when the pool has summed
// the image, and again after a tool run; a file that is no game image shows nothing and no box.
TEST_F(WindowTest, TheGameRowFollowsTheSelection) {
    writeFile(u"c/roms/A.swc"_s, MakeGameImage({24, 0x20, "GAME 24"}).bytes);
    writeFile(u"c/roms/B.swc"_s, QByteArray(Mbit, '\xff'));
    form = makeForm();
    const auto row = [&] { return form->Label12->toolTip(); };
    form->File1->setListIndex(0);
    EXPECT_TRUE(row().startsWith(u"GAME 24; "_s) && row().contains(u"checksum: checking…"_s));
    form->File1->setListIndex(1);
    EXPECT_EQ(row() + form->Label12->text(), QString()) << "no game image: nothing, and no box";
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(row(), QString()) << "the dropped sum does not come back";
    form->File1->setListIndex(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return row().contains(u"checksum good"_s); }));
    EXPECT_TRUE(form->Label12->text().endsWith(u'…')) << "elided to the label's width";
    form->Label12->setToolTip(u"stale"_s);
    ASSERT_TRUE(form->RunAndWait(u"ucon64 --chk "_s + work + u"/A.swc -o="_s + work).ok());
    EXPECT_EQ(form->File1->fileName(), u"A.swc"_s) << "A.bak came before it; the selection follows";
    EXPECT_TRUE(row().contains(u"checking"_s)) << "read again after the run";
    EXPECT_TRUE(QTest::qWaitFor([&] { return row().contains(u"checksum good"_s); }));
}

// The title swings with the timer and, after a whole swing, stands where it began; it keeps
// swinging while the About window holds the main window. The credit starts afresh at each opening.
TEST_F(WindowTest, TheTitleAndTheAboutWindow) {
    form = makeForm();
    form->show();
    form->Timer1->stop();
    const int startX = form->Label1->x();
    for (int tick = 0; tick < 1000 && (!tick || form->Label9->text() != u"0"_s); ++tick)
        form->Timer1_Timer();
    EXPECT_EQ(form->Label1->x(), startX);
    form->Timer1->start();
    int creditTop = -1;
    for (int opening = 0; opening < 2; ++opening) {
        QTest::mouseClick(form->Command8, Qt::LeftButton);
        Form2* about = form->AboutWindow();
        ASSERT_TRUE(about && about->isVisible());
        creditTop = opening ? creditTop : about->Label1->y();
        EXPECT_EQ(about->Label1->y(), creditTop);
        EXPECT_FALSE(form->isEnabled());
        const QString phase = form->Label9->text();
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->Label9->text() != phase; }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return about->Label1->y() < creditTop; })) << "it rises";
        about->close();
        EXPECT_TRUE(form->isEnabled());
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->AboutWindow() == nullptr; }));
    }
    form->Command9->click();
    EXPECT_FALSE(form->isVisible());
}

// The main window waits for the tool: no input, its title still, and a click on it while the
// tool runs does nothing afterwards. The console window shows the run, error output in red, and
// closes by itself after a run that went well; after any other it says what went wrong.
TEST_F(WindowTest, TheToolsWindowShowsTheRunAndHowItEnded) {
    writeFile(u"c/roms/GAME.SWC"_s, RomImage(Mbit));
    QDir::setCurrent(work);
    qputenv("UCON64_HOME", ".");
    // STANDIN_WAIT (such a run is stopped from the window), the options, a line the window shows,
    // whether in red, and how the run ended.
    const std::tuple<const char*, const char*, const char*, bool, const char*> runs[] = {
        {"", "--chk GAME.SWC -o=.", "NOTE: ./.ucon64rc not found: creating...OK", false, ""},
        {"", "--chk x.swc", "ERROR: Can't open \"x.swc\" for reading", true,
         "ucon64 reported ERROR: Can't open \"x.swc\" for reading"},
        {"", "--bogus", "ERROR: unknown option --bogus", true, "ucon64 ended with status 1"},
        {"q", "--xswc GAME.SWC", "Program aborted", false, "ucon64 was stopped by the user"},
        {"deaf", "--xswc GAME.SWC", "press q to stop", true, "ucon64 was stopped by the user"}};
    for (const auto& [wait, optionsText, output, red, reason] : runs) {
        const QString options = QString::fromUtf8(optionsText);
        qputenv("STANDIN_WAIT", wait);
        QFile::remove(path(u"standin.log"_s));
        form = makeForm();
        bool waited = false;
        const QString phase = form->Label9->text();
        QTimer::singleShot(0, form.get(), [&, wait = wait] {
            QTest::mouseClick(form->Command4, Qt::LeftButton);
            if (!*wait)
                return;
            // Shown while the tool still runs: it prints a line at a time to a terminal only.
            waited = QTest::qWaitFor([&] {
                return form->ToolWindow()->isVisible() &&
                       form->ToolWindow()->Text1->toPlainText().contains(u"Waiting for the copier");
            });
            EXPECT_FALSE(form->isEnabled());
            EXPECT_EQ(form->Label9->text(), phase) << "the title must stand still";
            form->ToolWindow()->close();
        });

        const RunResult result = form->RunAndWait(u"ucon64 "_s + options);

        EXPECT_EQ(waited, *wait != 0);
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(invocations().size(), 1) << "a click during the run must not run the tool";
        EXPECT_EQ(result.reason(), QString::fromUtf8(reason));
        const ConsoleWindow* console = form->ToolWindow();
        EXPECT_EQ(console->isVisible(), !result.ok());
        const QStringList lines = console->Text1->toPlainText().split(u'\n');
        EXPECT_EQ(lines.mid(0, 2),
                  QStringList({u"ucon64 "_s + options, u"in "_s + QDir::currentPath()}));
        const QTextBlock line = console->Text1->document()->findBlockByNumber(
            static_cast<int>(lines.indexOf(QString::fromUtf8(output))));
        ASSERT_TRUE(line.isValid()) << console->Text1->toPlainText().toStdString();
        EXPECT_EQ(line.begin().fragment().charFormat().foreground().color() == QColor(0xb0, 0, 0),
                  red);
        EXPECT_TRUE(result.ok() || lines.contains(result.reason() + u'.'));
    }
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
        EXPECT_EQ(prompter.message(u"Insert new disk"_s, {}, buttons, u"GAME.2: part 2 of 3"_s),
                  answer);
    }
}

// A slow floppy: each block of a copy waits for a tick of the window's event loop, so the copy
// goes on only while that loop runs. The bar rises and names the part and the disk; Cancel in
// the middle leaves nothing on the disk and the parts in staging.
TEST_F(WindowTest, FloppyCopiesLeaveTheWindowLive) {
    writeFile(u"c/roms/G.SWC"_s, RomImage(9 * Mbit));
    QSemaphore ticks;
    Platform p = platform();
    p.eachBlock = [&] { EXPECT_TRUE(ticks.tryAcquire(1, 30000)) << "the event loop stood still"; };
    form = makeForm(p);
    select(*form, work, u"G.SWC"_s);
    QSet<int> seen;
    QString label;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (QProgressDialog* bar = form->CopyProgress(); bar && !bar->wasCanceled()) {
            label = bar->labelText();
            seen.insert(bar->value());
            if (bar->value() > 300)
                bar->findChild<QPushButton*>()->click();
        }
        ticks.release(ticks.available() == 0);
    });
    tick.start(0);
    prompter.type(u"A:\\"_s);
    prompter.type(u"8"_s);
    prompter.answer(Prompter::Answer::Ok); // the first disk
    prompter.answer(Prompter::Answer::Ok); // where the parts are
    form->Command1->click();
    tick.stop();
    EXPECT_TRUE(prompter.texts().last().startsWith(u"Stopped. Not copied to disk: G.1, G.2"_s))
        << prompter.texts().last().toStdString();
    EXPECT_EQ(filesIn(floppy), QStringList());
    EXPECT_EQ(filesIn(staging), QStringList({u"G.1"_s, u"G.2"_s}));
    EXPECT_GE(seen.size(), 3) << "the bar rose";
    EXPECT_TRUE(label.startsWith(u"Copying G.1 onto disk 1 of 2\n"_s)) << label.toStdString();
    EXPECT_EQ(form->CopyProgress(), nullptr);
}

} // namespace
} // namespace kestrix::test
