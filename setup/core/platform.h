// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// The host's folders the installer needs, read once by main() and handed to the window, so
// tests can run it in temporary folders.
struct Platform {
    QString installerFolder;  // folder of the running installer, no trailing separator
    QString programFilesRoot; // where "DEST " folders go, ending in its separator
    QString desktopFolder;    // where the desktop shortcut goes

    static Platform fromSystem();
};

// The desktop folder that a user-dirs.dirs text names, read as xdg-user-dirs reads it: the last
// XDG_DESKTOP_DIR line whose quoted value starts with "$HOME/" or "/", a backslash taking the
// next character as it is; the home folder's "Desktop" when no line names one.
QString DesktopFolder(const QString& userDirs, const QString& home);

} // namespace setup
