// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace kestrix {

// The write probe: creates, closes and deletes the probe file. A file already there is the
// user's and stays; a probe under a free name beside it tests the disk instead.
bool ProbeDisk(const QString& probePath);

// Copies through a temporary file beside the target, so a failed copy leaves an old target
// whole. Empty on success, else the reason.
QString CopyReplacing(const QString& from, const QString& to);

// Deletes the files; those that could not be deleted.
QStringList RemoveFiles(const QStringList& paths);

} // namespace kestrix
