// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

namespace setup {

// A file that takes the place of the one of its name only once it is whole: it is written under
// a temporary name beside it, synced, and renamed into place, so a failure leaves the old file,
// or none, under the name. Nothing below the folder it is opened in is reached through a
// symbolic link: a link at the name, or a folder on the way that is one, is refused, and neither
// the link nor what it points to is changed. Failures give the reason alone, ending in a full
// stop, for the caller's report.
class WholeFile {
public:
    WholeFile() = default;
    ~WholeFile(); // a file not committed is removed
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Starts the file for the name, "/" separating its folders, taken below the folder.
    [[nodiscard]] Status Open(const QString& folder, const QString& name);
    [[nodiscard]] Status Write(QByteArrayView bytes);
    // Gives the file its permissions, syncs it and renames it into place.
    [[nodiscard]] Status Commit(QFileDevice::Permissions permissions);
    // What a new file gets by default: read and write for all, less the user's umask.
    QFileDevice::Permissions DefaultPermissions() const;

private:
    void discard();

    int folder_ = -1;
    int file_ = -1;
    QByteArray name_, temporary_;
};

} // namespace setup
