// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace setup {
namespace {

TEST(InfoBox, AppendsJustAfterTheSelectionThenPutsTheCaretAtTheEnd) {
    QWidget window;
    InfoBox box(&window);
    box.Append(QStringLiteral("ab\r\ncd\rx\ny"));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab\ncd\nx\ny"));

    // Select "cd" on the second shown line: its end lies after the CR LF in the kept text.
    QTextCursor selection = box.textCursor();
    selection.setPosition(3);
    selection.setPosition(5, QTextCursor::KeepAnchor);
    box.setTextCursor(selection);
    box.Append(QStringLiteral("!\r\n"));
    EXPECT_EQ(box.Text(), QStringLiteral("ab\r\ncd!\r\n\rx\ny"));
    EXPECT_EQ(box.textCursor().position(), box.toPlainText().size());

    box.Append(QStringLiteral("end"));
    EXPECT_EQ(box.Text(), QStringLiteral("ab\r\ncd!\r\n\rx\nyend"));
    // Appended in place: a CR and an LF from two appends still show as one line end.
    box.Append(QStringLiteral("\r"));
    box.Append(QStringLiteral("\nlast"));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab\ncd!\n\nx\nyend\nlast"));
    EXPECT_EQ(box.textCursor().position(), box.toPlainText().size());
}

TEST(ProgressBar, AMaximumOfZeroOrBelowShowsAnEmptyBarThatIsNotBusy) {
    QWidget window;
    ProgressBar bar(&window);
    EXPECT_EQ(bar.Max(), 100);
    bar.SetMax(-5);
    EXPECT_EQ(bar.Max(), 0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_LT(bar.minimum(), bar.maximum()) << "a range of 0 to 0 makes Qt animate the bar";
    EXPECT_EQ(bar.value(), 0);
}

TEST(ProgressBar, AValuePastTheMaximumRaisesIt) {
    QWidget window;
    ProgressBar bar(&window);
    bar.SetMax(2);
    bar.SetValue(3);
    EXPECT_EQ(bar.Max(), 3);
    EXPECT_EQ(bar.value(), bar.maximum());
}

} // namespace
} // namespace setup
