// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/title.h"

#include <QFont>
#include <QIcon>
#include <QString>

namespace kestrix {

// Places a control by its position in twips.
template <typename W>
W* place(W* widget, const QString& name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
    return widget;
}

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height) {
    return place(widget, QString::fromLatin1(name), left, top, width, height);
}

// Kestrix's icon: the 16 x 16 drawing for the title bar, larger ones where more room is given.
QIcon KestrixIcon();

// The "Terminal" raster font the windows were drawn for, or where it is missing a condensed sans
// serif of a few pixels per point, which keeps captions inside their controls as the raster font
// did.
QFont TerminalFont(int points, bool bold);

} // namespace kestrix
