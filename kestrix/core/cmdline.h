// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace kestrix {

// The separator that joins folder and name in composed paths on this host.
inline constexpr QChar hostSeparator() {
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

// Puts a path between double quotes so that the Microsoft C runtime's argument rules give back
// exactly this path: backslashes before an inner quote or before the closing quote are doubled
// (a drive root "C:\" would otherwise end in a literal quote).
QString QuotePath(const QString& path);

// Splits a command line into argv the way the Microsoft C runtime does. The tool's own runtime
// applies these rules on Windows, so we apply them everywhere to hand it the same arguments.
QStringList SplitCommandLine(const QString& commandLine);

// Folder + separator + name, joined as they are (a drive root keeps its own separator too).
QString JoinPath(const QString& folder, const QString& name, QChar separator = hostSeparator());

} // namespace kestrix
