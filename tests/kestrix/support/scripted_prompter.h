// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/prompter.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

namespace kestrix::test {

// Answers message and input boxes from a script and records what each one showed.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        bool isInput = false;
        QString text; // the message or the prompt
        QString title;
        Buttons buttons = Buttons::Ok;
        QString preset;
        QString detail;
    };

    // An answer may run a step first (swap a floppy, say) before the box "closes".
    void answer(Answer a, std::function<void()> before = {});
    void type(const QString& text, std::function<void()> before = {});

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   const QString& detail) override;
    QString input(const QString& prompt, const QString& title, const QString& preset) override;

    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;

private:
    struct Step {
        bool isInput = false;
        Answer answer = Answer::Ok;
        QString text;
        std::function<void()> before;
    };
    Step next(bool isInput, const QString& text);

    QQueue<Step> script_;
    QList<Shown> shown_;
};

} // namespace kestrix::test
