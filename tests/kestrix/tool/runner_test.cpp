// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool/runner.h"

#include "support/disk_box.h"
#include "support/fixture.h"
#include "tool/cmdline.h"
#include "window/console.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace kestrix::test {
namespace {

class ToolRunTest : public KestrixTest {};

TEST_F(ToolRunTest, ToolGetsExactArgvAndTheWorkingFolder) {
    QDir::setCurrent(work);
    const QString rom = QDir(work).filePath(QStringLiteral("My Game.swc"));
    const RunResult result = RunToEnd(QStringLiteral("ucon64 --chk ") + QuotePath(rom) +
                                          QStringLiteral(" -o=") + QuotePath(work + u'\\'),
                                      programFolder);
    ASSERT_TRUE(result.started()) << result.error.toStdString();
    EXPECT_EQ(result.resolved, QDir(programFolder).filePath(QStringLiteral("ucon64")));
    ASSERT_EQ(invocations().size(), 1);
    EXPECT_EQ(invocations()[0].cwd, QDir(work).canonicalPath());
    EXPECT_EQ(invocations()[0].argv,
              QStringList({QStringLiteral("--chk"), rom, QStringLiteral("-o=") + work + u'\\'}));
}

TEST_F(ToolRunTest, ProgramFolderComesBeforePath) {
    const QString elsewhere = path(QStringLiteral("bin"));
    QDir().mkpath(elsewhere);
    QFile script(QDir(elsewhere).filePath(QStringLiteral("ucon64")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n: > \"$STANDIN_LOG.path\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    qputenv("PATH", elsewhere.toLocal8Bit());

    ASSERT_TRUE(RunToEnd(QStringLiteral("ucon64 -l x"), programFolder).started());
    EXPECT_EQ(invocations().size(), 1) << "the stand-in in the program folder should have run";

    QFile::remove(QDir(programFolder).filePath(QStringLiteral("ucon64")));
    ASSERT_TRUE(RunToEnd(QStringLiteral("ucon64 -l x"), programFolder).started());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("standin.log.path"))))
        << "with none in the program folder, PATH is searched";
}

TEST_F(ToolRunTest, MissingOrNotExecutableIsReportedNotRun) {
    qputenv("PATH", path(QStringLiteral("empty")).toLocal8Bit());
    const QString tool = QDir(programFolder).filePath(QStringLiteral("ucon64"));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner);
    const RunResult notExecutable = RunToEnd(QStringLiteral("ucon64 -l x"), programFolder);
    EXPECT_EQ(notExecutable.status, RunResult::Status::NotFound);

    QFile::remove(tool);
    const RunResult missing = RunToEnd(QStringLiteral("ucon64 -l x"), programFolder);
    EXPECT_FALSE(missing.started());
    EXPECT_EQ(missing.program, QStringLiteral("ucon64"));
    EXPECT_EQ(StartFailureMessage(missing, programFolder),
              QStringLiteral("Could not start \"ucon64\": it was looked for in the program "
                             "folder (%1) and on PATH, and is not there or cannot be run.")
                  .arg(programFolder));
    EXPECT_TRUE(invocations().isEmpty());
}

struct EndCase {
    const char* label;
    const char* wait;    // STANDIN_WAIT; the test stops such a run from the console window
    const char* options; // after the tool's name; {file} is an image in the browsed folder {dir}
    const char* output;  // a line the console window shows, in error colour when it is an error
    bool error;
    const char* reason; // how the run ended, empty for a run that went well
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.label;
}

class ConsoleTest : public KestrixTest, public ::testing::WithParamInterface<EndCase> {};

// The main window waits for the tool: disabled, its title still, and a click on it while the tool
// runs does nothing afterwards. The console window closes by itself after a run that went well.
TEST_P(ConsoleTest, ShowsTheRunAndHowItEnded) {
    const EndCase& c = GetParam();
    writeFile(QStringLiteral("c/roms/GAME.SWC"), RomImage(Mbit));
    if (*c.wait)
        qputenv("STANDIN_WAIT", c.wait);
    auto form = makeForm();
    form->setStopGrace(50);
    const QString file = QDir(work).filePath(QStringLiteral("GAME.SWC"));
    QString options = QString::fromUtf8(c.options).replace(QStringLiteral("{file}"), file);
    options.replace(QStringLiteral("{dir}"), work);
    // While the tool runs: a click on the main window, and for a tool that waits, a look at both
    // windows once the console window is up, then Stop.
    bool waited = false;
    const QString phase = form->Label9->text();
    QTimer during;
    during.setSingleShot(true);
    QObject::connect(&during, &QTimer::timeout, [&] {
        QTest::mouseClick(form->Command4, Qt::LeftButton);
        if (!*c.wait)
            return;
        waited =
            QTest::qWaitFor([&] { return form->ToolWindow() && form->ToolWindow()->isVisible(); });
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(form->Label9->text(), phase) << "the title must stand still";
        form->ToolWindow()->close();
    });
    during.start(0);

    const RunResult result = form->RunAndWait(QStringLiteral("ucon64 ") + options);

    EXPECT_EQ(waited, *c.wait != 0);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(invocations().size(), 1) << "the click made during the run must not run the tool";
    EXPECT_EQ(result.ok(), !*c.reason);
    EXPECT_EQ(result.reason(), QString::fromUtf8(c.reason));
    ConsoleWindow* console = form->ToolWindow();
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->isVisible(), !result.ok()) << "it closes by itself only after a good run";
    EXPECT_EQ(console->windowTitle(), QStringLiteral("ucon64"));
    const QStringList lines = console->Text1->toPlainText().split(u'\n');
    EXPECT_EQ(lines[0], QStringLiteral("ucon64 ") + options.replace(file, QuoteForReading(file)));
    EXPECT_EQ(lines[1], QStringLiteral("in ") + QDir::currentPath());
    const QString output = QString::fromUtf8(c.output).replace(QStringLiteral("{file}"), file);
    ASSERT_TRUE(lines.contains(output)) << console->Text1->toPlainText().toStdString();
    const QTextBlock block =
        console->Text1->document()->findBlockByNumber(static_cast<int>(lines.indexOf(output)));
    EXPECT_EQ(block.begin().fragment().charFormat().foreground().color() == QColor(0xb0, 0, 0),
              c.error)
        << c.output;
    if (!result.ok()) {
        EXPECT_EQ(console->Command1->text(), QStringLiteral("Close"));
        EXPECT_TRUE(lines.contains(result.reason() + u'.')) << "the window says what went wrong";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ConsoleTest,
    ::testing::Values(EndCase{"a good run", "", "--chk {file} -o={dir}", "Wrote output to {file}",
                              false, ""},
                      EndCase{"an error line", "", "--chk nothing.swc",
                              "ERROR: Can't open \"nothing.swc\" for reading", true,
                              "ucon64 reported ERROR: Can't open \"nothing.swc\" for reading"},
                      EndCase{"a status", "", "--bogus", "ERROR: unknown option --bogus", true,
                              "ucon64 ended with status 1"},
                      EndCase{"stopped by q", "q", "--xswc {file}", "Program aborted", false,
                              "ucon64 was stopped by the user"},
                      EndCase{"stopped by SIGTERM", "deaf", "--xswc {file}", "press q to stop",
                              true, "ucon64 was stopped by the user"}));

} // namespace
} // namespace kestrix::test
