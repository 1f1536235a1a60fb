// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shortcut.h"

#include "core/files.h"
#include "core/wholefile.h"

#include <QDir>

namespace setup {

namespace {

// One Exec argument, quoted by the Desktop Entry rules (before the value's own escapes).
QString QuoteExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        // A lone percent sign would be taken for a field code.
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

// A string value with the Desktop Entry escapes. Install refuses the control characters, which
// a value cannot hold.
QString EscapeDesktopValue(const QString& value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    // A leading blank would be trimmed by readers.
    if (escaped.startsWith(u' '))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString SpecialFolders(const Platform& platform, const QString& name) {
    return name == u"Desktop" ? platform.desktopFolder : QString();
}

} // namespace

Status Create_ShortCut(const Platform& platform, QString TargetPath, QString ShortCutPath,
                       QString shortcutname, QString WorkPath, qint16 Window_Style,
                       qint16 IconNum) {
    ShortCutPath = SpecialFolders(platform, ShortCutPath);
    const QString file = JoinPath(ShortCutPath, shortcutname + QStringLiteral(".desktop"));
    const auto failed = [&](const QString& why) {
        return Failure{QStringLiteral("The desktop shortcut \"%1\" could not be written: %2")
                           .arg(QDir::toNativeSeparators(file), why)};
    };
    if (ShortCutPath.isEmpty())
        return failed(QStringLiteral("there is no desktop folder."));
    // A fresh account may have no desktop folder yet.
    if (!QDir().mkpath(ShortCutPath))
        return failed(QStringLiteral("the folder \"%1\" cannot be made.")
                          .arg(QDir::toNativeSeparators(ShortCutPath)));

    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                                         "Path=%3\nIcon=%4\nX-IconIndex=%5\nX-WindowStyle=%6\n")
                              .arg(EscapeDesktopValue(shortcutname),
                                   EscapeDesktopValue(QuoteExecArgument(TargetPath)),
                                   EscapeDesktopValue(WorkPath), EscapeDesktopValue(TargetPath),
                                   QString::number(IconNum), QString::number(Window_Style));
    WholeFile out;
    Status written = out.Open(ShortCutPath, shortcutname + QStringLiteral(".desktop"));
    if (written)
        written = out.Write(entry.toUtf8());
    // Desktops start only entries marked executable.
    if (written)
        written = out.Commit(out.DefaultPermissions() | QFile::ExeOwner | QFile::ExeUser |
                             QFile::ExeGroup | QFile::ExeOther);
    if (!written)
        return failed(written.error());
    return {};
}

} // namespace setup
