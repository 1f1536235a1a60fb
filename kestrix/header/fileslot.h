// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kestrix {

// The program's one binary file slot, shared by the header panel and the conversion to .swc.
// Opened read-only for a single read and closed again, so it never creates or changes a file.
class FileSlot {
public:
    // Reads up to count bytes from the start of the file; empty when it cannot be opened or read.
    QByteArray ReadStart(const QString& path, qsizetype count);
    bool isOpen() const { return file_.isOpen(); }

private:
    QFile file_;
};

} // namespace kestrix
