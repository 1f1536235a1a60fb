// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/result.h"

#include <QString>
#include <functional>

namespace setup {

class Prompter;
class Script;

// The window's values when Install is pressed.
struct InstallValues {
    QString destination;    // Text2
    QString source;         // Text3, in the installer's folder
    QString shortcutTarget; // Text5, in the destination
    QString shortcutName;   // Text4
    bool shortcut = false;  // Check1 ticked
};

// What the run needs from the window besides the values, and where it reports.
struct Installation {
    const Platform& platform;
    Prompter& prompter;
    Script& script; // open at the first line of the file list
    // Returns once the unzip program has ended: a failure when it did not unpack everything.
    std::function<Status()> waitForUnzip;
    // Adds text to the information box by its append rule.
    std::function<void(const QString&)> log;
    // Adds text after the information box's whole text, wherever its selection is.
    std::function<void(const QString&)> logAtEnd;
    // One file was copied: the progress bar's step.
    std::function<void()> step;
};

// Pressing Install: waits for the unzip program and copies nothing when the unpack failed;
// creates the destination folder, copies each file of the script's list from
// the source folder into it with a log line and a step each, makes the desktop shortcut if
// asked, and closes the script. A failure stops the run where it happens and is reported; the
// installer must then end.
[[nodiscard]] Status Install(const Installation& run, const InstallValues& values);

} // namespace setup
