// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cleanup.h"

#include "core/files.h"
#include "core/unzip.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace setup {

namespace {

// Brackets stay plain characters, unlike in Qt's own wildcards.
bool WildcardMatches(const QString& pattern, const QString& name) {
    QString expression;
    for (const QChar c : pattern) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += u'.';
        else
            expression += QRegularExpression::escape(QString(c));
    }
    const QRegularExpression re(QRegularExpression::anchoredPattern(expression),
                                QRegularExpression::CaseInsensitiveOption |
                                    QRegularExpression::DotMatchesEverythingOption);
    return re.match(name).hasMatch();
}

void DeleteMatching(const QString& folder, const QString& name) {
    // A value such as "../*" or "/etc/*" must not delete anything outside the installer's folder.
    if (LeavesFolder(name))
        return;
    const QDir dir(folder);
    // Dot-files count as hidden, and the deletion this stands for skips hidden files.
    for (const QString& entry : dir.entryList(QDir::Files | QDir::System))
        if (WildcardMatches(name, entry))
            QFile::remove(dir.filePath(entry)); // errors ignored: the next name is tried
}

} // namespace

void CleanUp(const QString& folder, const QString& sourceValue) {
    for (const QString& name :
         {sourceValue, QStringLiteral("pkunzip"), QStringLiteral("setup.inf"),
          QStringLiteral("setup"), QStringLiteral("DATA.DAT"), UnzipLogName()})
        DeleteMatching(folder, name);
}

} // namespace setup
