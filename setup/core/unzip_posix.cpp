// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/unzip.h"

#include "core/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace setup {

namespace {

// So many of the program's lines are quoted in the report; the rest stay in its file.
constexpr qsizetype kQuotedLines = 12;

QString HowItEnded(int status) {
    if (WIFEXITED(status))
        return QStringLiteral("it ended with status %1").arg(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return QStringLiteral("it was ended by signal %1, %2")
            .arg(WTERMSIG(status))
            .arg(QString::fromLocal8Bit(::strsignal(WTERMSIG(status))));
    return QStringLiteral("it ended in an unknown way");
}

} // namespace

UnzipProcess::~UnzipProcess() {
    if (log_ >= 0)
        ::close(log_);
}

Status UnzipProcess::Start(const QString& folder) {
    // The command line "pkunzip -d -o data.dat", split as the system would split it.
    const QString name = QStringLiteral("pkunzip");
    // Only the installer's own unzip program will do, never another of that name on the path.
    const QFileInfo beside(FindNoCase(folder, name, QDir::Files | QDir::Executable));
    if (!beside.isFile() || !beside.isExecutable())
        return Failure{
            QStringLiteral("The unzip program \"%1\" could not be started: it is not in %2.")
                .arg(name, QDir::toNativeSeparators(folder))};
    const QByteArray program = QFile::encodeName(beside.absoluteFilePath());
    const auto failed = [&](int error) {
        return Failure{
            QStringLiteral("The unzip program \"%1\" could not be started: %2.")
                .arg(QDir::toNativeSeparators(beside.absoluteFilePath()), qt_error_string(error))};
    };

    logPath_ = QDir(folder).filePath(UnzipLogName());
    // A link of that name must not send the messages over another file.
    log_ = ::open(QFile::encodeName(logPath_).constData(),
                  O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (log_ < 0)
        return failed(errno);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addchdir_np(&actions, QFile::encodeName(folder).constData());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, log_, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, log_, STDERR_FILENO);
    // Signals the installer blocks or ignores are the program's own business again.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("-d"),
                    const_cast<char*>("-o"), const_cast<char*>("data.dat"), nullptr};
    const int error =
        ::posix_spawn(&pid_, program.constData(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        pid_ = 0;
        ::close(std::exchange(log_, -1));
        QFile::remove(logPath_);
        return failed(error);
    }
    return {};
}

bool UnzipProcess::Running() const {
    if (pid_ <= 0 || ended_)
        return false;
    // Looks without reaping it, so WaitForEnd still gets its status.
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

Status UnzipProcess::WaitForEnd() {
    if (pid_ <= 0)
        return {};
    if (ended_)
        return *ended_;
    int status = 0;
    pid_t waited = 0;
    while ((waited = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return *(ended_ = Status{});

    QByteArray said;
    QFile log;
    if (log_ >= 0 && log.open(log_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) &&
        log.seek(0))
        said = log.readAll().trimmed();
    QStringList lines = QString::fromLocal8Bit(said).split(u'\n', Qt::SkipEmptyParts);
    const qsizetype more = lines.size() - kQuotedLines;
    if (more > 0)
        lines.resize(kQuotedLines);
    QString report =
        QStringLiteral("Nothing was installed: the unzip program did not unpack the whole archive "
                       "(%1).")
            .arg(waited == pid_ ? HowItEnded(status)
                                : QStringLiteral("it could not be waited for"));
    if (!lines.isEmpty())
        report += u'\n' + lines.join(u'\n');
    if (more > 0)
        report += QStringLiteral("\n(%1 more lines in \"%2\")")
                      .arg(more)
                      .arg(QDir::toNativeSeparators(logPath_));
    return *(ended_ = Failure{report});
}

} // namespace setup
