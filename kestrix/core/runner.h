// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

namespace kestrix {

struct RunResult {
    enum class State { NotFound, FailedToStart, Ended };
    State state = State::NotFound;
    QString startError;   // why it could not be started
    QString program;      // the first word of the command line
    QString resolved;     // the executable that was started, when found
    int exitCode = 0;     // once finished; the signal's number when it crashed
    bool crashed = false; // ended by a signal
    bool stopped = false; // the user stopped it
    QStringList errors;   // the lines it began with "ERROR:"

    // It was started and has ended, however.
    bool ended() const { return state == State::Ended; }
    // Ended by itself with status 0 and reported no error: the tool's status alone says nothing,
    // since it is 0 after most failures.
    bool ok() const { return ended() && !crashed && !stopped && exitCode == 0 && errors.isEmpty(); }
    // What went wrong, for a run that is not ok: "ucon64 ended with status 2", or why it could
    // not be started.
    QString reason() const;
};

// Where a program named by the first word of a command line is taken from: a name with a folder
// in it as it stands, else the program folder, then PATH. Empty when nothing executable is there.
QString FindProgram(const QString& program, const QString& programFolder);

// One run of the tool as a process of its own, watched while the event loop runs: its output as
// it arrives, a stop on request, and how it ended.
class ToolProcess : public QObject {
    Q_OBJECT
public:
    explicit ToolProcess(QObject* parent = nullptr);
    ~ToolProcess() override;

    // Starts the command line (no shell; argv split by the C runtime's rules) in the current
    // working folder; fails with where the tool was looked for, or the system's reason.
    [[nodiscard]] bool start(const QString& commandLine, const QString& programFolder);
    bool running() const { return running_; }
    // The tool's own way to abort first, "q" on its input; SIGTERM a grace later and SIGKILL
    // another grace later, for a tool that does not listen.
    void stop();
    void setGrace(int milliseconds) { grace_ = milliseconds; }
    // Copies the tool's output to ours as well, for the terminal kestrix was started from.
    void setEcho(bool echo) { echo_ = echo; }
    // The program and arguments as the tool receives them.
    QStringList argv() const;
    const RunResult& result() const { return result_; }

Q_SIGNALS:
    void output(const QString& text, bool isError);
    void finished();

private:
    struct Stream {
        QStringDecoder decoder{QStringDecoder::System};
        QString line;   // the unfinished last line, to spot "ERROR:" lines
        QString escape; // the start of a terminal escape sequence cut off by a read
        bool error = false;
    };
    void read(QProcess::ProcessChannel channel);
    void readTerminal();
    void take(Stream& stream, const QByteArray& bytes, bool flush);
    void end(int exitCode, QProcess::ExitStatus status);

    QProcess process_;
    // The tool's input and output on a pseudo-terminal, as at a terminal: its C library then
    // hands over each line as it is printed. -1 where none could be had: pipes instead.
    int terminal_ = -1;
    QSocketNotifier* terminalReady_ = nullptr;
    RunResult result_;
    Stream out_, err_;
    bool running_ = false;
    bool echo_ = false;
    int grace_ = 3000;
};

} // namespace kestrix
