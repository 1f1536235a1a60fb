// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// The four fields a shortcut holds, with its name.
struct Shortcut {
    QString name;
    QString target;
    QString workingFolder;
    qint16 windowStyle = 0;
    QString iconLocation; // file, a comma, the icon's index
};

// The shortcut's file name in its folder: the platform's own kind of shortcut.
QString ShortcutFileName(const QString& name);

// A desktop entry for the shortcut: Exec starts the target, Path is the working folder, Icon
// the icon location's file, and the index and window style ride along as extension keys.
QString DesktopEntry(const Shortcut& shortcut);

// One Exec argument, quoted by the Desktop Entry rules (before the value's own escapes).
QString QuoteExecArgument(const QString& argument);

// A string value with the Desktop Entry escapes for backslash and control characters.
QString EscapeDesktopValue(const QString& value);

} // namespace setup
