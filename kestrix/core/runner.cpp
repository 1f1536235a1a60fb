// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/runner.h"

#include "core/cmdline.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

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
}

Status ToolProcess::start(const QString& commandLine, const QString& programFolder) {
    QStringList argv = SplitCommandLine(commandLine);
    result_ = {};
    result_.program = argv.isEmpty() ? QString() : argv.takeFirst();
    result_.resolved = FindProgram(result_.program, programFolder);
    if (result_.resolved.isEmpty())
        return Failure{QStringLiteral("Could not start \"%1\": it was looked for in the program "
                                      "folder (%2) and on PATH, and is not there or cannot be run.")
                           .arg(result_.program, QDir::toNativeSeparators(programFolder))};
    process_.setProgram(result_.resolved);
    process_.setArguments(argv);
    process_.start(); // its input stays open: the tool reads "q" there to abort
    if (!process_.waitForStarted(-1)) {
        result_.status = RunResult::Status::FailedToStart;
        return Failure{QStringLiteral("Could not start \"%1\" (%2): %3")
                           .arg(result_.program, result_.resolved, process_.errorString())};
    }
    running_ = true;
    return {};
}

QStringList ToolProcess::argv() const {
    return QStringList(result_.program) + process_.arguments();
}

void ToolProcess::stop() {
    if (!running_ || result_.stopped)
        return;
    result_.stopped = true;
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
    const bool isError = channel == QProcess::StandardError;
    process_.setReadChannel(channel);
    const QByteArray bytes = process_.readAll();
    if (bytes.isEmpty())
        return;
    if (echo_) {
        std::fwrite(bytes.constData(), 1, bytes.size(), isError ? stderr : stdout);
        std::fflush(isError ? stderr : stdout);
    }
    Stream& stream = isError ? err_ : out_;
    const QString text = stream.decoder.decode(bytes);
    noteLines(stream, text, false);
    Q_EMIT output(text, isError);
}

void ToolProcess::noteLines(Stream& stream, const QString& text, bool flush) {
    stream.line += text;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= stream.line.size(); ++i) {
        const bool atEnd = i == stream.line.size();
        if (atEnd ? !flush : stream.line[i] != u'\n' && stream.line[i] != u'\r')
            continue;
        const QString line = stream.line.mid(start, i - start);
        if (line.startsWith(QLatin1String("ERROR:")))
            result_.errors.append(line.trimmed());
        start = i + 1;
    }
    stream.line.remove(0, std::min(start, stream.line.size()));
}

void ToolProcess::end(int exitCode, QProcess::ExitStatus status) {
    read(QProcess::StandardOutput);
    read(QProcess::StandardError);
    noteLines(out_, {}, true);
    noteLines(err_, {}, true);
    result_.status = RunResult::Status::Finished;
    result_.exitCode = exitCode;
    result_.crashed = status == QProcess::CrashExit;
    running_ = false;
    Q_EMIT finished();
}

RunResult RunToEnd(const QString& commandLine, const QString& programFolder) {
    ToolProcess tool;
    if (!tool.start(commandLine, programFolder))
        return tool.result();
    QEventLoop loop;
    QObject::connect(&tool, &ToolProcess::finished, &loop, &QEventLoop::quit);
    if (tool.running())
        loop.exec();
    return tool.result();
}

} // namespace kestrix
