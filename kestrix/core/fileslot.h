// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kestrix {

// The program's one binary file slot, shared by the header panel and the conversion to .swc.
// Opened read-only for a single read and closed again, so it never creates or changes a file.
class FileSlot {
public:
    // Up to count bytes from the start of the file, or why it cannot be read; an empty file and
    // an unreadable one differ.
    Result<QByteArray> ReadStart(const QString& path, qsizetype count);
    bool isOpen() const { return file_.isOpen(); }

private:
    QFile file_;
};

// Opens a file for reading only when it is a regular file, links followed: a named pipe or a
// device would block the window or never end.
Status OpenRegular(QFile& file, const QString& path);

// A typed output that is a pipe, a device or a socket, links followed.
QString NotRegularMessage(const QString& path);

// What a button says when the selected file cannot be read; reason in the system's words.
QString CannotReadMessage(const QString& path, const QString& reason);

} // namespace kestrix
