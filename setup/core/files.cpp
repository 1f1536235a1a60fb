// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files.h"

namespace setup {

bool ClimbsOut(const QString& path) {
    return QDir::isAbsolutePath(path) || path.split(u'/').contains(QStringLiteral(".."));
}

QString FindNoCase(const QString& folder, const QString& name, QDir::Filters filters) {
    const QDir dir(folder);
    const QStringList entries = dir.entryList(filters | QDir::Hidden | QDir::System);
    if (entries.contains(name))
        return dir.filePath(name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return dir.filePath(name);
}

} // namespace setup
