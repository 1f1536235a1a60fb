// SPDX-License-Identifier: GPL-3.0-or-later
#include "install/cleanup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const qsizetype slash = name.lastIndexOf(u'/');
    const QString subFolder = slash < 0 ? QString() : name.left(slash);
    const QString pattern = name.mid(slash + 1);
    if (pattern.isEmpty() || subFolder.contains(u'*') || subFolder.contains(u'?'))
        return;
    const QDir dir(subFolder.isEmpty() ? folder : QDir(folder).filePath(subFolder));
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!WildcardMatches(pattern, entry) || QFileInfo(dir.filePath(entry)).isDir())
            continue;
        QFile::remove(dir.filePath(entry));
    }
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
