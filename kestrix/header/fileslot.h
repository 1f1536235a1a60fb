// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace kestrix {

// The program's one binary file slot, shared by the header panel and the conversion to .swc.
// Opened read-only for a single read and closed again, so it never creates or changes a file.
class FileSlot {
public:
    // Reads up to count bytes from the start of the file; nothing when it cannot be opened or
    // read (error() says why), so an empty file and an unreadable one differ.
    std::optional<QByteArray> ReadStart(const QString& path, qsizetype count);
    QString error() const { return error_; }
    bool isOpen() const { return file_.isOpen(); }

private:
    QFile file_;
    QString error_;
};

} // namespace kestrix
