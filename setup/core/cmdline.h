// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace setup {

// Splits a command line into argv the way the Microsoft C runtime does, so a command line
// reaches the unzip program as the same arguments on every system.
QStringList SplitCommandLine(const QString& commandLine);

} // namespace setup
