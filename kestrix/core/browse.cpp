// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/browse.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace kestrix {

namespace {

// One ";"-separated piece of a file-list pattern. "*.ext", the common case, is a suffix test;
// anything else goes through a wildcard expression.
class NameFilter {
public:
    explicit NameFilter(const QString& wildcard) {
        const QString rest = wildcard.mid(1);
        if (wildcard.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?') &&
            !rest.contains(u'['))
            suffix_ = rest;
        else
            expression_ =
                QRegularExpression(QRegularExpression::wildcardToRegularExpression(
                                       wildcard, QRegularExpression::UnanchoredWildcardConversion),
                                   QRegularExpression::CaseInsensitiveOption);
    }
    bool matches(const QString& name) const {
        if (!suffix_.isNull())
            return name.endsWith(suffix_, Qt::CaseInsensitive);
        return expression_.match(name).hasMatch();
    }

private:
    QString suffix_;
    QRegularExpression expression_;
};

} // namespace

QStringList ListFiles(const QString& folder, const QString& pattern) {
    std::vector<NameFilter> filters;
    for (const QString& wildcard : pattern.split(u';', Qt::SkipEmptyParts))
        filters.emplace_back(wildcard);

    struct Entry {
        QString key; // folded for the case-blind order
        QString name;
    };
    std::vector<Entry> entries;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const bool wanted =
            filters.empty() || std::any_of(filters.begin(), filters.end(),
                                           [&](const NameFilter& f) { return f.matches(name); });
        if (wanted)
            entries.push_back({name.toCaseFolded(), name});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = QString::compare(a.key, b.key, Qt::CaseSensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    for (Entry& e : entries)
        names.append(std::move(e.name));
    return names;
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
