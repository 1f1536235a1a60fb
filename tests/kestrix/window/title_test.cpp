// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/title.h"

#include "support/printers.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TitleState ticks(TitleState state, int count, double* rightmost = nullptr) {
    for (int i = 0; i < count; ++i) {
        state = TitleStep(state);
        if (rightmost && state.left > *rightmost)
            *rightmost = state.left;
    }
    return state;
}

const TitleState start{QStringLiteral("0"), 120};

TEST(TitleStepTest, PhaseReadsAsDecimalsWithoutResidue) {
    EXPECT_EQ(ticks(start, 1).phase, QStringLiteral("0.05"));
    EXPECT_EQ(ticks(start, 2).phase, QStringLiteral("0.1"));
    EXPECT_EQ(ticks(start, 3).phase, QStringLiteral("0.15"));
    EXPECT_EQ(ticks(start, 125).phase, QStringLiteral("6.25"));
}

TEST(TitleStepTest, RightmostAfter62TicksAndHomeAfter126) {
    double rightmost = start.left;
    const TitleState at62 = ticks(start, 62, &rightmost);
    EXPECT_EQ(at62.phase, QStringLiteral("3.1"));
    EXPECT_NEAR(at62.left - start.left, 2999.6, 0.1);
    EXPECT_DOUBLE_EQ(rightmost, at62.left) << "the title must turn back after tick 62";

    const TitleState at126 = ticks(start, 126);
    EXPECT_EQ(at126.phase, QStringLiteral("0"));
    EXPECT_NEAR(at126.left - start.left, -0.42, 0.01);
}

TEST(TitleStepTest, ResetIsStrictlyAbove6283) {
    const TitleState at625 = TitleStep({QStringLiteral("6.2"), 1000});
    EXPECT_EQ(at625.phase, QStringLiteral("6.25")) << "6.25 must not reset";
    EXPECT_NEAR(at625.left - 1000, -2.49, 0.01);

    const TitleState at630 = TitleStep(at625);
    EXPECT_EQ(at630.phase, QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(at630.left, at625.left) << "the reset tick moves by 75 * sin 0";
}

} // namespace
} // namespace kestrix
