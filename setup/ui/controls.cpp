// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls.h"

#include "core/infotext.h"

#include <QFontInfo>
#include <algorithm>

namespace setup {

QFont TerminalFont(int points, bool bold) {
    QFont font(QStringLiteral("Terminal"), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).exactMatch())
        return font;
    QFont fallback(QStringLiteral("DejaVu Sans Condensed"));
    fallback.setStyleHint(QFont::SansSerif);
    fallback.setStretch(QFont::Condensed);
    fallback.setBold(bold);
    fallback.setPixelSize(points + 2);
    return fallback;
}

InfoBox::InfoBox(QWidget* parent) : QPlainTextEdit(parent) {
    // A log: the user may select in it but not type into it.
    setReadOnly(true);
    setUndoRedoEnabled(false); // a log that grows by thousands of lines keeps no undo history
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void InfoBox::Append(const QString& text) {
    QTextCursor caret = textCursor();
    const int shownAt = caret.selectionEnd();
    // Appends leave the caret at the end, so mapping the position back is rarely needed. Texts
    // the installer appends neither start with a line feed nor end in a carriage return, so they
    // never join a line end around the insertion and only their own lines are shown anew.
    const qsizetype at = shownAt == caret.document()->characterCount() - 1
                             ? text_.size()
                             : TextPosition(text_, shownAt);
    text_.insert(at, text);
    caret.setPosition(shownAt);
    caret.insertText(DisplayText(text));
    CaretToEnd();
}

void InfoBox::CaretToEnd() {
    QTextCursor caret = textCursor();
    caret.movePosition(QTextCursor::End);
    setTextCursor(caret);
    ensureCursorVisible();
}

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    refresh();
}

void ProgressBar::SetMax(int max) {
    max_ = std::max(max, 0);
    value_ = std::min(value_, max_);
    refresh();
}

void ProgressBar::SetValue(int value) {
    value_ = std::max(value, 0);
    max_ = std::max(max_, value_);
    refresh();
}

void ProgressBar::refresh() {
    // Qt animates a bar whose range is 0 to 0, so an empty range is drawn as 0 of 1.
    setRange(0, std::max(max_, 1));
    setValue(value_);
}

} // namespace setup
