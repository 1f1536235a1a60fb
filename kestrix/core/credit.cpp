// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/credit.h"

#include "core/title.h"

#include <cmath>

namespace kestrix {

CreditState CreditStep(const CreditState& state) {
    CreditState next = state;
    next.phase = PhaseText(state.phase.toDouble() + 0.1);
    next.top -= 20.0 * std::sin(next.phase.toDouble());
    return next;
}

} // namespace kestrix
