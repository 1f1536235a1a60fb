// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool/runner.h"

#include "tool/cmdline.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kestrix {

QString FindProgram(const QString& program, const QString& programFolder) {
    if (program.isEmpty())
        return {};
    if (program.contains(u'/') || program.contains(QDir::separator())) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    QString found = QStandardPaths::findExecutable(program, {programFolder});
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(program);
    return found;
}

RunResult StartAndWait(const QString& commandLine, const QString& programFolder) {
    RunResult result;
    QStringList argv = SplitCommandLine(commandLine);
    result.program = argv.isEmpty() ? QString() : argv.takeFirst();
    result.resolved = FindProgram(result.program, programFolder);
    if (result.resolved.isEmpty()) {
        result.status = RunResult::Status::NotFound;
        return result;
    }

    QProcess process;
    process.setProgram(result.resolved);
    process.setArguments(argv);
    // The terminal kestrix was started from plays the tool's console window.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start();
    if (!process.waitForStarted(-1)) {
        result.status = RunResult::Status::FailedToStart;
        result.error = process.errorString();
        return result;
    }
    process.waitForFinished(-1);
    result.status = RunResult::Status::Finished;
    result.exitCode = process.exitCode();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    return result;
}

QString StartFailureMessage(const RunResult& result, const QString& programFolder) {
    if (result.status == RunResult::Status::FailedToStart)
        return QStringLiteral("Could not start \"%1\" (%2): %3")
            .arg(result.program, result.resolved, result.error);
    return QStringLiteral("Could not start \"%1\": it was looked for in the program folder (%2) "
                          "and on PATH, and is not there or cannot be run.")
        .arg(result.program, QDir::toNativeSeparators(programFolder));
}

} // namespace kestrix
