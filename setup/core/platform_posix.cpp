// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace setup {

QString DesktopFolder(const QString& userDirs, const QString& home) {
    static const QRegularExpression entry(
        QStringLiteral(R"(^[ \t]*XDG_DESKTOP_DIR[ \t]*=[ \t]*"(\$HOME/|/)(.*)$)"),
        QRegularExpression::MultilineOption);
    QString folder = home + QStringLiteral("/Desktop");
    for (const QRegularExpressionMatch& match : entry.globalMatch(userDirs)) {
        folder = match.captured(1) == u"/" ? QStringLiteral("/") : home + u'/';
        const QString value = match.captured(2);
        for (qsizetype i = 0; i < value.size() && value[i] != u'"'; ++i) {
            if (value[i] == u'\\' && i + 1 < value.size())
                ++i;
            folder += value[i];
        }
    }
    return QDir::cleanPath(folder);
}

Platform Platform::fromSystem() {
    // Qt reads this file too, but leaves its escapes in the folder's name.
    QFile userDirs(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/user-dirs.dirs"));
    const QString text =
        userDirs.open(QIODevice::ReadOnly) ? QFile::decodeName(userDirs.readAll()) : QString();
    return {QCoreApplication::applicationDirPath(), QStringLiteral("/opt/"),
            DesktopFolder(text, QDir::homePath())};
}

} // namespace setup
