// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kestrix {

struct CreditState {
    QString phase; // as the hidden phase label holds it
    double top;    // twips
};

// The credit line's starting top; every opening of the About window starts there.
inline constexpr double CreditTop = 4080;

// One tick of the credit's bob: the phase steps by 0.1 through its text and the line moves up
// by 20 times its sine, so it rises about 400 twips and sinks back every 63 ticks.
CreditState CreditStep(const CreditState& state);

} // namespace kestrix
