// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls.h"

#include <QFontInfo>

namespace kestrix {

QIcon KestrixIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/kestrix-%1.png").arg(size), QSize(size, size));
    return icon;
}

QFont TerminalFont(int points, bool bold) {
    QFont font(QStringLiteral("Terminal"), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).exactMatch())
        return font;
    QFont fallback(QStringLiteral("DejaVu Sans Condensed"));
    fallback.setStyleHint(QFont::SansSerif);
    fallback.setStretch(QFont::Condensed);
    fallback.setBold(bold);
    fallback.setPixelSize(points < 8 ? points + 1 : points + 2);
    return fallback;
}

} // namespace kestrix
