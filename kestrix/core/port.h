// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrix {

// What the parallel-port check reads of the host, so tests hand it made-up trees.
struct PortHost {
    QString root;         // where /dev and /proc are: "/" on the real system
    uint userId = 0;      // root may open anything
    QList<uint> groups;   // the user's groups
    QString settingsFile; // the tool's own settings, where its first run writes how it was built
};

// What would stop a transfer on the port typed (hexadecimal, as the box holds it), one plain
// message each saying what to do for the way the installed tool was built: with ppdev (its
// settings name a parport_dev) or with port I/O (they name a parport). Empty when nothing is
// seen wrong, or the setup is one the check does not know: it never stands in the user's way.
QStringList PortProblems(const PortHost& host, const QString& port, const QString& tool);

} // namespace kestrix
