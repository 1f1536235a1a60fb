// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/title.h"

#include <cmath>

namespace kestrix {

QString PhaseText(double phase) {
    return QString::number(phase, 'g', 15);
}

TitleState TitleStep(const TitleState& state) {
    TitleState next = state;
    next.phase = PhaseText(state.phase.toDouble() + 0.05);
    if (next.phase.toDouble() > 6.283)
        next.phase = QStringLiteral("0");
    next.left += 75.0 * std::sin(next.phase.toDouble());
    return next;
}

int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

} // namespace kestrix
