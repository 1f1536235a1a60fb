// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace setup {

// Whether a file name matches a pattern with the wildcards "*" and "?", letter case ignored.
bool WildcardMatches(const QString& pattern, const QString& name);

// Deletes the plain files in the folder that the name matches (it may hold wildcards), letter
// case ignored. A name that leads into another folder, folders and dot-files are never deleted;
// a file that cannot be deleted is skipped.
void DeleteMatching(const QString& folder, const QString& name);

// What closing the installer deletes from its folder, in order: the source-folder value taken
// as a file name, then the unzip program, the script, the installer and the archive.
QStringList CleanUpNames(const QString& sourceValue);

} // namespace setup
