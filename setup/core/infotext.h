// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// The information box keeps its text as the script and the run wrote it, with CR LF line ends;
// a Qt text box shows it with a line break for each CR LF, lone CR or lone LF.
QString DisplayText(const QString& text);

// Where a position of the shown text lies in the kept text (a CR LF counts once when shown).
qsizetype TextPosition(const QString& text, qsizetype displayPosition);

} // namespace setup
