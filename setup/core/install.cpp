// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace setup {

QString JoinPath(const QString& folder, const QString& name) {
#ifdef Q_OS_WIN
    return folder + u'\\' + name;
#else
    return folder + u'/' + name;
#endif
}

bool ClimbsOut(const QString& path) {
    return QDir::isAbsolutePath(path) || path.split(u'/').contains(QStringLiteral(".."));
}

QString InstallRefusal(const QString& destination, const QString& source, bool shortcut,
                       const QString& target, const QString& shortcutName) {
    if (destination.isEmpty())
        return QStringLiteral("There is no destination folder: the destination box is empty.");
    // Joined to each name, an empty source folder would be the file system's root.
    if (source.isEmpty() || ClimbsOut(source))
        return QStringLiteral("The source folder \"%1\" is not in the installer's folder.")
            .arg(source);
    if (!shortcut)
        return {};
    if (LeavesFolder(shortcutName))
        return QStringLiteral("The desktop shortcut's name \"%1\" leads out of the desktop folder.")
            .arg(shortcutName);
    // A desktop entry has no way to hold them: dropped, they would make it start another file.
    const auto control = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.category() == QChar::Other_Control; });
    };
    for (const auto& [what, value] : {std::pair{"name", shortcutName}, {"target", target}}) {
        if (control(value))
            return QStringLiteral("The desktop shortcut's %1 \"%2\" holds a control character, "
                                  "which a desktop entry cannot hold.")
                .arg(QLatin1String(what), value);
    }
    return {};
}

QString LogLine(const QString& installerFolder, const QString& name, const QString& destination) {
    return QStringLiteral("\r\n") + JoinPath(installerFolder, name) + QStringLiteral(" ==> ") +
           JoinPath(destination, name);
}

void MakeLastLevel(const QString& folder) {
    if (!folder.isEmpty())
        QDir().mkdir(folder);
}

bool CopyReplacing(const QString& source, const QString& target, QString* error) {
    const auto failed = [&](const QString& why) {
        *error = QStringLiteral("The file \"%1\" could not be copied to \"%2\": %3")
                     .arg(QDir::toNativeSeparators(QDir::current().absoluteFilePath(source)),
                          QDir::toNativeSeparators(QDir::current().absoluteFilePath(target)), why);
        return false;
    };
    const QFileInfo from(source);
    if (!from.isFile())
        return failed(QStringLiteral("it is not in the source folder."));
    const QFileInfo to(target);
    if (!to.absoluteDir().exists())
        return failed(QStringLiteral("the folder \"%1\" does not exist.")
                          .arg(QDir::toNativeSeparators(to.absolutePath())));
    if (to.isDir())
        return failed(QStringLiteral("a folder of that name is in the way."));

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString() + u'.');
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return failed(out.errorString() + u'.');
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return failed(in.errorString() + u'.');
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            return failed(out.errorString() + u'.');
    }
    if (!out.commit())
        return failed(out.errorString() + u'.');
    QFile::setPermissions(target, from.permissions());
    return true;
}

} // namespace setup
