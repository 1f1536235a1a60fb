// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/browse.h"

#include <QDir>

namespace kestrix {

QStringList ListFiles(const QString& folder, const QString& pattern) {
    QStringList filters = pattern.split(u';', Qt::SkipEmptyParts);
    return QDir(folder).entryList(filters, QDir::Files | QDir::NoDotAndDotDot,
                                  QDir::Name | QDir::IgnoreCase);
}

QList<FolderEntry> ListFolders(const QString& root, const QString& current) {
    const QString here = QDir::cleanPath(current);
    QString top = QDir::cleanPath(root);
    if (top != u'/' && here != top && !here.startsWith(top + u'/'))
        top = QStringLiteral("/"); // a folder outside the drive still has a way up to show
    QList<FolderEntry> entries{{top, top, 0, true}};

    QString relative;
    if (here != top)
        relative = top == u'/' ? here.mid(1) : here.mid(top.size() + 1);
    QString path = top;
    int depth = 0;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = path == u'/' ? path + part : path + u'/' + part;
        entries.append({path, part, ++depth, true});
    }

    const QStringList subs =
        QDir(here).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subs)
        entries.append({QDir(here).filePath(sub), sub, depth + 1, false});
    return entries;
}

int FindReselection(const QStringList& names, int savedIndex, const QString& savedName) {
    if (savedIndex < 0)
        return -1;
    for (qsizetype i = savedIndex; i < names.size(); ++i)
        if (names[i] == savedName)
            return static_cast<int>(i);
    const qsizetype again = names.indexOf(savedName);
    return static_cast<int>(again);
}

} // namespace kestrix
