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

} // namespace setup
