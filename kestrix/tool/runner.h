// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace kestrix {

struct RunResult {
    enum class Status { Finished, NotFound, FailedToStart };
    Status status = Status::NotFound;
    QString program;      // the first word of the command line
    QString resolved;     // the executable that was started, when found
    QString error;        // the system's reason when it could not be started
    int exitCode = 0;     // once finished
    bool crashed = false; // ended by a signal

    bool started() const { return status == Status::Finished; }
    // Ended by itself with status 0.
    bool ok() const { return started() && !crashed && exitCode == 0; }
};

// Where a program named by the first word of a command line is taken from: a name with a folder
// in it as it stands, else the program folder, then PATH. Empty when nothing executable is there.
QString FindProgram(const QString& program, const QString& programFolder);

// Starts the command line as a process of its own (no shell; argv split by the C runtime's
// rules) in the current working folder, its output going to ours, and blocks until it ends.
RunResult StartAndWait(const QString& commandLine, const QString& programFolder);

// The user's message for a command line that could not be started.
QString StartFailureMessage(const RunResult& result, const QString& programFolder);

} // namespace kestrix
