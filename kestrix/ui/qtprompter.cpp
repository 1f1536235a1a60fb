// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtprompter.h"

#include <QInputDialog>
#include <QMessageBox>

namespace kestrix {

namespace {

QString titleOrDefault(const QString& title) {
    return title.isEmpty() ? QStringLiteral("Kestrix") : title;
}

} // namespace

Prompter::Answer QtPrompter::message(const QString& text, const QString& title, Buttons buttons,
                                     const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, titleOrDefault(title), text, QMessageBox::NoButton,
                    parent_);
    box.setInformativeText(detail);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return Answer::Cancel;
    }
}

QString QtPrompter::input(const QString& prompt, const QString& title, const QString& preset) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, titleOrDefault(title), prompt,
                                               QLineEdit::Normal, preset, &ok);
    return ok ? text : QString();
}

} // namespace kestrix
