// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/console.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrix {

QString QuoteForReading(const QString& argument) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=,+@%-]+$"));
    if (plain.match(argument).hasMatch())
        return argument;
    QString quoted = argument;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

ConsoleWindow::ConsoleWindow(ToolProcess& tool, const QString& workFolder)
    : QWidget(nullptr, Qt::Window), tool_(&tool) {
    // Not the main window's child: the main window is disabled while the tool runs.
    setObjectName(QStringLiteral("ConsoleWindow"));
    const QStringList argv = tool.argv();
    setWindowTitle(argv.value(0));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Command1 = new QPushButton(QStringLiteral("Stop"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    const QFontMetrics metrics(Text1->font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.lineSpacing() * 24);

    QStringList shown;
    for (const QString& argument : argv)
        shown.append(QuoteForReading(argument));
    Text1->appendPlainText(shown.join(u' '));
    Text1->appendPlainText(QStringLiteral("in %1").arg(workFolder));
    Text1->appendPlainText({});
    connect(&tool, &ToolProcess::output, this, &ConsoleWindow::append);
    connect(Command1, &QPushButton::clicked, this, &ConsoleWindow::close);
}

void ConsoleWindow::append(const QString& text, bool isError) {
    QTextCursor cursor(Text1->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(isError ? QColor(0xb0, 0x00, 0x00) : Text1->palette().text().color());
    // A progress line redraws itself after a carriage return.
    for (const QString& piece : text.split(QRegularExpression(QStringLiteral("(?=[\r\n])")))) {
        QStringView rest = piece;
        if (rest.startsWith(u'\n')) {
            cursor.insertBlock();
            overwrite_ = false;
            rest = rest.mid(1);
        } else if (rest.startsWith(u'\r')) {
            overwrite_ = true;
            rest = rest.mid(1);
        }
        if (rest.isEmpty())
            continue;
        if (overwrite_) {
            cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            overwrite_ = false;
        }
        cursor.insertText(rest.toString(), format);
    }
    Text1->ensureCursorVisible();
}

void ConsoleWindow::waitFor(ToolProcess& tool, QWidget& waiting) {
    const InputBlocker blocker(waiting);
    QTimer seen;
    seen.setSingleShot(true);
    connect(&seen, &QTimer::timeout, this, [&] {
        waiting.setEnabled(false);
        show();
        raise();
        activateWindow();
    });
    seen.start(100);
    QEventLoop loop;
    connect(&tool, &ToolProcess::finished, &loop, &QEventLoop::quit);
    if (tool.running())
        loop.exec();
    seen.stop();
    ended(tool.result());
    waiting.setEnabled(true);
}

void ConsoleWindow::ended(const RunResult& result) {
    tool_ = nullptr;
    if (result.ok()) {
        hide();
        return;
    }
    append(QStringLiteral("\n\n%1.\n").arg(result.reason()), true);
    Command1->setText(QStringLiteral("Close"));
    show();
    raise();
    activateWindow();
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
    if (tool_) {
        tool_->stop();
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace kestrix
