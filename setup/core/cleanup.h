// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// Closing the installer's window: deletes from its folder the files that the source-folder value
// matches as a file name with the wildcards "*" and "?", then the unzip program, the script, the
// installer, the archive and the unzip program's messages, letter case ignored. A deletion that
// fails is skipped; folders, dot-files and anything outside the folder are never deleted.
void CleanUp(const QString& folder, const QString& sourceValue);

} // namespace setup
