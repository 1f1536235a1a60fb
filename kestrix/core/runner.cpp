// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/runner.h"

#include "core/cmdline.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

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

QString RunResult::reason() const {
    if (!ended())
        return startError;
    if (stopped)
        return QStringLiteral("%1 was stopped by the user").arg(program);
    if (crashed)
        return QStringLiteral("%1 was killed by signal %2").arg(program).arg(exitCode);
    if (exitCode != 0)
        return QStringLiteral("%1 ended with status %2").arg(program).arg(exitCode);
    if (!errors.isEmpty())
        return QStringLiteral("%1 reported %2").arg(program, errors.join(u' '));
    return {};
}

ToolProcess::ToolProcess(QObject* parent) : QObject(parent) {
    err_.error = true;
    connect(&process_, &QProcess::readyReadStandardOutput, this,
            [this] { read(QProcess::StandardOutput); });
    connect(&process_, &QProcess::readyReadStandardError, this,
            [this] { read(QProcess::StandardError); });
    connect(&process_, &QProcess::finished, this, &ToolProcess::end);
}

ToolProcess::~ToolProcess() {
    if (running_) {
        process_.kill();
        process_.waitForFinished();
    }
    if (terminal_ >= 0)
        ::close(terminal_);
}

bool ToolProcess::start(const QString& commandLine, const QString& programFolder) {
    QStringList argv = SplitCommandLine(commandLine);
    result_ = {};
    result_.program = argv.isEmpty() ? QString() : argv.takeFirst();
    result_.resolved = FindProgram(result_.program, programFolder);
    if (result_.resolved.isEmpty()) {
        result_.startError =
            QStringLiteral("Could not start \"%1\": it was looked for in the program folder (%2) "
                           "and on PATH, and is not there or cannot be run.")
                .arg(result_.program, QDir::toNativeSeparators(programFolder));
        return false;
    }
    process_.setProgram(result_.resolved);
    process_.setArguments(argv);
    int tool = -1;
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = 80;
    if (::openpty(&terminal_, &tool, nullptr, nullptr, &size) == 0) {
        // Keys reach the tool one by one, unechoed, and a line ends in a line feed alone.
        struct termios mode {};
        ::tcgetattr(tool, &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON);
        mode.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
        mode.c_cc[VMIN] = 1;
        mode.c_cc[VTIME] = 0;
        ::tcsetattr(tool, TCSANOW, &mode);
        ::fcntl(terminal_, F_SETFD, FD_CLOEXEC);
        ::fcntl(terminal_, F_SETFL, ::fcntl(terminal_, F_GETFL) | O_NONBLOCK);
        ::fcntl(tool, F_SETFD, FD_CLOEXEC);
        process_.setStandardInputFile(QProcess::nullDevice());
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setChildProcessModifier([tool] {
            ::setsid();
            ::ioctl(tool, TIOCSCTTY, 0);
            ::dup2(tool, STDIN_FILENO);
            ::dup2(tool, STDOUT_FILENO);
        });
        terminalReady_ = new QSocketNotifier(terminal_, QSocketNotifier::Read, this);
        connect(terminalReady_, &QSocketNotifier::activated, this, &ToolProcess::readTerminal);
    }
    process_.start(); // its input stays open: the tool reads "q" there to abort
    if (tool >= 0)
        ::close(tool);
    if (!process_.waitForStarted(-1)) {
        result_.state = RunResult::State::FailedToStart;
        result_.startError = QStringLiteral("Could not start \"%1\" (%2): %3")
                                 .arg(result_.program, result_.resolved, process_.errorString());
        return false;
    }
    running_ = true;
    return true;
}

QStringList ToolProcess::argv() const {
    return QStringList(result_.program) + process_.arguments();
}

void ToolProcess::stop() {
    if (!running_ || result_.stopped)
        return;
    result_.stopped = true;
    if (terminal_ >= 0)
        (void)!::write(terminal_, "q", 1);
    else
        process_.write("q");
    QTimer::singleShot(grace_, this, [this] {
        if (!running_)
            return;
        process_.terminate();
        QTimer::singleShot(grace_, this, [this] {
            if (running_)
                process_.kill();
        });
    });
}

void ToolProcess::read(QProcess::ProcessChannel channel) {
    process_.setReadChannel(channel);
    take(channel == QProcess::StandardError ? err_ : out_, process_.readAll(), false);
}

void ToolProcess::readTerminal() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(terminal_, buffer, sizeof buffer);
        if (n > 0) {
            take(out_, QByteArray(buffer, n), false);
            continue;
        }
        // EIO: the tool and everything it started have closed the terminal.
        if (n == 0 || errno != EAGAIN)
            terminalReady_->setEnabled(false);
        return;
    }
}

namespace {

// Terminal escape sequences (the progress bar's colours) are no text for the window. A sequence
// cut off at the end waits in pending for the next read.
QString WithoutEscapes(QString& pending, const QString& text) {
    const QString all = pending + text;
    pending.clear();
    QString plain;
    plain.reserve(all.size());
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] != u'\x1b') {
            plain += all[i];
            continue;
        }
        qsizetype end = i + 1;
        if (end < all.size() && all[end] == u'[') {
            while (++end < all.size() && !(all[end] >= u'@' && all[end] <= u'~')) {
            }
        } else if (end < all.size() && all[end] == u']') {
            while (++end < all.size() && all[end] != u'\a') {
            }
        }
        if (end >= all.size()) {
            pending = all.mid(i);
            break;
        }
        i = end;
    }
    return plain;
}

} // namespace

void ToolProcess::take(Stream& stream, const QByteArray& bytes, bool flush) {
    if (echo_ && !bytes.isEmpty()) {
        std::fwrite(bytes.constData(), 1, bytes.size(), stream.error ? stderr : stdout);
        std::fflush(stream.error ? stderr : stdout);
    }
    const QString text = WithoutEscapes(stream.escape, stream.decoder.decode(bytes));
    // The output goes on as it comes, so a progress line shows before its line end; error output
    // a line at a time, since the tool's notes there ("NOTE: ... creating...OK") are no errors.
    if (!stream.error && !text.isEmpty())
        Q_EMIT output(text, false);
    stream.line += text;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= stream.line.size(); ++i) {
        const bool atEnd = i == stream.line.size();
        if (atEnd ? !flush || start == i : stream.line[i] != u'\n' && stream.line[i] != u'\r')
            continue;
        const QString line = stream.line.mid(start, i - start);
        if (line.startsWith(QLatin1String("ERROR:")))
            result_.errors.append(line.trimmed());
        if (stream.error)
            Q_EMIT output(stream.line.mid(start, i + 1 - start),
                          !line.startsWith(QLatin1String("NOTE:")));
        start = i + 1;
    }
    stream.line.remove(0, std::min(start, stream.line.size()));
}

void ToolProcess::end(int exitCode, QProcess::ExitStatus status) {
    if (terminal_ >= 0)
        readTerminal();
    else
        read(QProcess::StandardOutput);
    read(QProcess::StandardError);
    take(out_, {}, true);
    take(err_, {}, true);
    result_.state = RunResult::State::Ended;
    result_.exitCode = exitCode;
    result_.crashed = status == QProcess::CrashExit;
    running_ = false;
    Q_EMIT finished();
}

} // namespace kestrix
