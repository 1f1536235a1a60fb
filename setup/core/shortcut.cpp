// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shortcut.h"

namespace setup {

QString ShortcutFileName(const QString& name) {
#ifdef Q_OS_WIN
    return name + QStringLiteral(".lnk");
#else
    return name + QStringLiteral(".desktop");
#endif
}

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

QString EscapeDesktopValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        default:
            // Other control characters have no escape and are not allowed in a value.
            if (c.unicode() >= 0x20)
                escaped += c;
        }
    }
    // A leading blank would be trimmed by readers.
    if (escaped.startsWith(u' '))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString DesktopEntry(const Shortcut& shortcut) {
    const qsizetype comma = shortcut.iconLocation.lastIndexOf(u',');
    const QString iconFile = comma < 0 ? shortcut.iconLocation : shortcut.iconLocation.left(comma);
    const QString iconIndex =
        comma < 0 ? QStringLiteral("0") : shortcut.iconLocation.mid(comma + 1);
    QString entry = QStringLiteral("[Desktop Entry]\nType=Application\n");
    entry += QStringLiteral("Name=") + EscapeDesktopValue(shortcut.name) + u'\n';
    entry +=
        QStringLiteral("Exec=") + EscapeDesktopValue(QuoteExecArgument(shortcut.target)) + u'\n';
    entry += QStringLiteral("Path=") + EscapeDesktopValue(shortcut.workingFolder) + u'\n';
    entry += QStringLiteral("Icon=") + EscapeDesktopValue(iconFile) + u'\n';
    entry += QStringLiteral("X-IconIndex=") + EscapeDesktopValue(iconIndex) + u'\n';
    entry += QStringLiteral("X-WindowStyle=") + QString::number(shortcut.windowStyle) + u'\n';
    return entry;
}

} // namespace setup
