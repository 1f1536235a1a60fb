// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/infotext.h"

namespace setup {

namespace {

// Length of the line end at i: 2 for CR LF, 1 for a lone CR or LF, 0 for none.
qsizetype lineEnd(const QString& text, qsizetype i) {
    if (text[i] == u'\r')
        return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
    return text[i] == u'\n' ? 1 : 0;
}

} // namespace

QString DisplayText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = lineEnd(text, i);
        shown.append(end ? u'\n' : text[i]);
        i += end ? end : 1;
    }
    return shown;
}

qsizetype TextPosition(const QString& text, qsizetype displayPosition) {
    qsizetype i = 0;
    for (qsizetype shown = 0; shown < displayPosition && i < text.size(); ++shown) {
        const qsizetype end = lineEnd(text, i);
        i += end ? end : 1;
    }
    return i;
}

} // namespace setup
