// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QString>

namespace setup {

inline int TwipsToPixels(int twips) {
    return (twips + 7) / 15; // 15 twips to the pixel at 96 dots per inch
}

// The "Terminal" raster font, or where it is missing a condensed sans serif of about its size.
QFont TerminalFont(int points, bool bold);

// The information box: keeps the exact characters the script and the run wrote (CR LF line
// ends), shows them as lines, and appends after the current selection.
class InfoBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit InfoBox(QWidget* parent);

    const QString& Text() const { return text_; }
    // Inserts just after the current selection, then moves the caret to the end.
    void Append(const QString& text);
    void CaretToEnd();

private:
    QString text_;
};

// A progress bar whose maximum may be set to 0 or below by a script: it then shows 0 of 0
// (empty, not busy), and a value past the maximum raises the maximum with it.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent);

    int Max() const { return max_; }
    int Value() const { return value_; }
    void SetMax(int max);
    void SetValue(int value);

private:
    void refresh();

    int max_ = 100;
    int value_ = 0;
};

} // namespace setup
