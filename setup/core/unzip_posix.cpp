// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/unzip.h"

#include "core/files.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace setup {

UnzipProcess::~UnzipProcess() {
    if (pidfd_ >= 0)
        ::close(pidfd_);
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
    const QString program = beside.absoluteFilePath();

    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("-d"), QStringLiteral("-o"), QStringLiteral("data.dat")});
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached(&pid_))
        return Failure{QStringLiteral("The unzip program \"%1\" could not be started: %2")
                           .arg(QDir::toNativeSeparators(program), process.errorString())};
    // Taken at once: the process was just made, so its id cannot have been reused yet.
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid_), 0));
    return {};
}

bool UnzipProcess::Running() const {
    if (pidfd_ >= 0) {
        pollfd fd{pidfd_, POLLIN, 0};
        return ::poll(&fd, 1, 0) == 0;
    }
    return pid_ > 0 && ::kill(static_cast<pid_t>(pid_), 0) == 0;
}

void UnzipProcess::WaitForEnd() {
    if (pidfd_ >= 0) {
        pollfd fd{pidfd_, POLLIN, 0};
        while (::poll(&fd, 1, -1) < 0 && errno == EINTR) {
        }
        return;
    }
    // Without process descriptors (old kernels) only asking for the id is left.
    while (Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace setup
