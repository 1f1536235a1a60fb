// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cleanup.h"

#include "core/install.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace setup {

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
            QFile::remove(dir.filePath(entry));
}

QStringList CleanUpNames(const QString& sourceValue) {
#ifdef Q_OS_WIN
    return {sourceValue, QStringLiteral("PKUNZIP.EXE"), QStringLiteral("setup.inf"),
            QStringLiteral("SETUP.EXE"), QStringLiteral("DATA.DAT")};
#else
    return {sourceValue, QStringLiteral("pkunzip"), QStringLiteral("setup.inf"),
            QStringLiteral("setup"), QStringLiteral("DATA.DAT")};
#endif
}

} // namespace setup
