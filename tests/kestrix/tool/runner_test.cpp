// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool/runner.h"

#include "support/fixture.h"
#include "tool/cmdline.h"

#include <QDir>
#include <QFile>

namespace kestrix::test {
namespace {

class StartAndWaitTest : public KestrixTest {};

TEST_F(StartAndWaitTest, ToolGetsExactArgvAndTheWorkingFolder) {
    QDir::setCurrent(work);
    const QString rom = QDir(work).filePath(QStringLiteral("My Game.swc"));
    const RunResult result = StartAndWait(QStringLiteral("ucon64 --chk ") + QuotePath(rom) +
                                              QStringLiteral(" -o=") + QuotePath(work + u'\\'),
                                          programFolder);
    ASSERT_TRUE(result.started()) << result.error.toStdString();
    EXPECT_EQ(result.resolved, QDir(programFolder).filePath(QStringLiteral("ucon64")));
    ASSERT_EQ(invocations().size(), 1);
    EXPECT_EQ(invocations()[0].cwd, QDir(work).canonicalPath());
    EXPECT_EQ(invocations()[0].argv,
              QStringList({QStringLiteral("--chk"), rom, QStringLiteral("-o=") + work + u'\\'}));
}

TEST_F(StartAndWaitTest, ProgramFolderComesBeforePath) {
    const QString elsewhere = path(QStringLiteral("bin"));
    QDir().mkpath(elsewhere);
    QFile script(QDir(elsewhere).filePath(QStringLiteral("ucon64")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n: > \"$STANDIN_LOG.path\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    qputenv("PATH", elsewhere.toLocal8Bit());

    ASSERT_TRUE(StartAndWait(QStringLiteral("ucon64 -l x"), programFolder).started());
    EXPECT_EQ(invocations().size(), 1) << "the stand-in in the program folder should have run";

    QFile::remove(QDir(programFolder).filePath(QStringLiteral("ucon64")));
    ASSERT_TRUE(StartAndWait(QStringLiteral("ucon64 -l x"), programFolder).started());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("standin.log.path"))))
        << "with none in the program folder, PATH is searched";
}

TEST_F(StartAndWaitTest, MissingOrNotExecutableIsReportedNotRun) {
    qputenv("PATH", path(QStringLiteral("empty")).toLocal8Bit());
    const QString tool = QDir(programFolder).filePath(QStringLiteral("ucon64"));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner);
    const RunResult notExecutable = StartAndWait(QStringLiteral("ucon64 -l x"), programFolder);
    EXPECT_EQ(notExecutable.status, RunResult::Status::NotFound);

    QFile::remove(tool);
    const RunResult missing = StartAndWait(QStringLiteral("ucon64 -l x"), programFolder);
    EXPECT_FALSE(missing.started());
    EXPECT_EQ(missing.program, QStringLiteral("ucon64"));
    EXPECT_EQ(StartFailureMessage(missing, programFolder),
              QStringLiteral("Could not start \"ucon64\": it was looked for in the program "
                             "folder (%1) and on PATH, and is not there or cannot be run.")
                  .arg(programFolder));
    EXPECT_TRUE(invocations().isEmpty());
}

} // namespace
} // namespace kestrix::test
