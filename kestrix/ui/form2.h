// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QTimer;

namespace kestrix {

// The About window: fixed texts and a bobbing credit line. It hands control back to the main
// window when it closes, and is deleted then, so every opening starts afresh.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget& mainWindow);

    std::array<QLabel*, 12> Label3;
    QLabel* Label1;
    QLabel* Label2;
    QTimer* Timer1;

    // Public so tests can tick without waiting.
    void Timer1_Timer();
    double creditTop() const { return creditTop_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget& mainWindow_;
    double creditTop_;
};

} // namespace kestrix
