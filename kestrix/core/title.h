// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kestrix {

struct TitleState {
    QString phase; // as the phase label holds it
    double left;   // twips
};

// A phase as its label holds it: the shortest decimal text with at most 15 significant digits,
// so steps of 0.05 or 0.1 read back without binary residue.
QString PhaseText(double phase);

// One tick of the title's swing: the phase steps by 0.05 (kept as text rounded to 15 significant
// digits, so it reads 0.05, 0.1, ... without binary residue), wraps to "0" past 6.283, and the
// title moves sideways by 75 times its sine.
TitleState TitleStep(const TitleState& state);

// The program's version as its captions write it: "v1.2".
inline QString VersionCaption() {
    return u'v' + QStringLiteral(KESTRIX_VERSION).section(u'.', 0, 1);
}

// Twips to whole pixels at 96 dots per inch.
int TwipsToPixels(double twips);

} // namespace kestrix
