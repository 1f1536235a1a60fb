// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

namespace setup {

// Folder and name joined with this host's separator, with no other change.
QString JoinPath(const QString& folder, const QString& name);

// Whether a name taken in a folder leads out of it: it holds a separator or is "..".
inline bool LeavesFolder(const QString& name) {
    return name.contains(u'/') || name.contains(QDir::separator()) || name == u"..";
}

// Whether a path taken in a folder may lead out of it: it is absolute or has a ".." part.
bool ClimbsOut(const QString& path);

// Why Install must not start with these values, or nothing: an empty destination would be the
// file system's root, the source folder must lie in the installer's folder, and the shortcut, if
// one is to be made, would land outside the desktop folder or would not start its target.
QString InstallRefusal(const QString& destination, const QString& source, bool shortcut,
                       const QString& target, const QString& shortcutName);

// The line that ends the script's file list.
inline bool IsListEnd(const QString& line) {
    return line == u"END G";
}

// The information box's line for one copied file: it names the installer's own folder as the
// file's origin.
QString LogLine(const QString& installerFolder, const QString& name, const QString& destination);

// Creates the folder's last level; nothing happens when that cannot be done.
void MakeLastLevel(const QString& folder);

// Copies a plain file over whatever file the target names, keeping the source's permissions.
// The target is replaced whole or not at all. On failure, error names the file and why.
bool CopyReplacing(const QString& source, const QString& target, QString* error);

} // namespace setup
