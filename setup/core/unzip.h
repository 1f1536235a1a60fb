// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// The command line that unpacks the installer's archive beside it.
inline QString UnzipCommandLine() {
    return QStringLiteral("pkunzip -d -o data.dat");
}

// The unzip program, started once and left to run beside the installer; it is not the
// installer's child, so it goes on when the installer ends.
class UnzipProcess {
public:
    UnzipProcess() = default;
    ~UnzipProcess();
    UnzipProcess(const UnzipProcess&) = delete;
    UnzipProcess& operator=(const UnzipProcess&) = delete;

    // Starts the command line in the folder, taking the program from that folder whatever its
    // letter case. On failure, error says why.
    bool Start(const QString& folder, const QString& commandLine, QString* error);

    // Blocks until the started program has ended; returns at once when none was started.
    void WaitForEnd();

    bool Running() const;

private:
    qint64 pid_ = 0;
    int pidfd_ = -1; // lets us wait for a process that is not our child
};

} // namespace setup
