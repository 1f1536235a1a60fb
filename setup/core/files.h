// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

namespace setup {

// Folder and name joined with one separator and no other change: a folder that already ends in
// one gives a doubled separator.
inline QString JoinPath(const QString& folder, const QString& name) {
    return folder + u'/' + name;
}

// Whether a name taken in a folder leads out of it: it holds a separator or is "..".
inline bool LeavesFolder(const QString& name) {
    return name.contains(u'/') || name == u"..";
}

// Whether a path taken in a folder may lead out of it: it is absolute or has a ".." part.
bool ClimbsOut(const QString& path);

// The entry of that name and kind in the folder, its letter case ignored as on the installer's
// home system (an exact match wins); the plain path when there is none.
QString FindNoCase(const QString& folder, const QString& name,
                   QDir::Filters filters = QDir::AllEntries);

} // namespace setup
