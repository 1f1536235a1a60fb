// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/runner.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace kestrix {

// Drops every click and key meant for one window.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget& window) : window_(window) { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu: {
            const auto* widget = qobject_cast<const QWidget*>(watched);
            return widget && widget->window() == &window_;
        }
        default:
            return false;
        }
    }

private:
    QWidget& window_;
};

// The tool's console window: the command line as the tool got it, its working folder, and its
// output as it arrives, error output set apart; Stop while it runs. After a run that went well
// it closes by itself; after any other it says what went wrong and stays until closed.
class ConsoleWindow : public QWidget {
    Q_OBJECT
public:
    ConsoleWindow(ToolProcess& tool, const QString& workFolder);

    QPlainTextEdit* Text1; // the tool's output
    QPushButton* Command1; // "Stop", then "Close"

    // Runs the event loop until the tool has ended, so both windows repaint, while the waiting
    // window takes no input at all: nothing done there is acted on, then or later. A run long
    // enough to be seen brings this window up in front and greys the waiting one; one that ends
    // at once flashes neither. After a run that went well this window closes; after any other it
    // says what went wrong and stays. The tool is gone from here on.
    void waitFor(ToolProcess& tool, QWidget& waiting);

protected:
    // While the tool runs, closing means stopping it.
    void closeEvent(QCloseEvent* event) override;

private:
    void append(const QString& text, bool isError);
    void ended(const RunResult& result);

    ToolProcess* tool_;
    bool overwrite_ = false; // a carriage return came last: the next text replaces the line
};

// An argument as a reader would type it in a shell: quoted when it holds blanks or quotes.
QString QuoteForReading(const QString& argument);

} // namespace kestrix
