// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QString>
#include <optional>
#include <sys/types.h>

namespace setup {

// The unzip program's messages, in the installer's folder; the clean-up removes them.
inline QString UnzipLogName() {
    return QStringLiteral("pkunzip.log");
}

// The unzip program, started once as the installer's child and left to run beside it. Its
// messages go to a file, not a pipe, so it is not killed when the installer ends first.
class UnzipProcess {
public:
    UnzipProcess() = default;
    ~UnzipProcess();
    UnzipProcess(const UnzipProcess&) = delete;
    UnzipProcess& operator=(const UnzipProcess&) = delete;

    // Starts "pkunzip -d -o data.dat" in the installer's folder, taking the program from that
    // folder whatever its letter case, and does not wait for it.
    [[nodiscard]] Status Start(const QString& folder);

    // Blocks until the started program has ended, then says how the unpack went: a failure
    // quotes what the program said of the entries it did not write. At once when none was
    // started, or when it has been waited for before.
    [[nodiscard]] Status WaitForEnd();

    bool Running() const;

private:
    pid_t pid_ = 0;
    int log_ = -1; // the messages' file, read back once the program has ended
    QString logPath_;
    std::optional<Status> ended_;
};

} // namespace setup
