// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QString>

namespace setup {

// The unzip program, started once and left to run beside the installer; it is not the
// installer's child, so it goes on when the installer ends.
class UnzipProcess {
public:
    UnzipProcess() = default;
    ~UnzipProcess();
    UnzipProcess(const UnzipProcess&) = delete;
    UnzipProcess& operator=(const UnzipProcess&) = delete;

    // Starts "pkunzip -d -o data.dat" in the installer's folder, taking the program from that
    // folder whatever its letter case, and does not wait for it.
    [[nodiscard]] Status Start(const QString& folder);

    // Blocks until the started program has ended; returns at once when none was started.
    void WaitForEnd();

    bool Running() const;

private:
    qint64 pid_ = 0;
    int pidfd_ = -1; // lets us wait for a process that is not our child
};

} // namespace setup
