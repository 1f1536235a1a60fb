// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/prompter.h"

class QWidget;

namespace kestrix {

// Message and input boxes for the user: no icon, "Kestrix" where no title is given.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   const QString& detail) override;
    QString input(const QString& prompt, const QString& title, const QString& preset) override;

private:
    QWidget* parent_;
};

} // namespace kestrix
