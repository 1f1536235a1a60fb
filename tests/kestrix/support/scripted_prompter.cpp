// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace kestrix::test {

void ScriptedPrompter::answer(Answer a, std::function<void()> before) {
    script_.enqueue({false, a, {}, std::move(before)});
}

void ScriptedPrompter::type(const QString& text, std::function<void()> before) {
    script_.enqueue({true, Answer::Ok, text, std::move(before)});
}

ScriptedPrompter::Step ScriptedPrompter::next(bool isInput, const QString& text) {
    if (script_.isEmpty()) {
        ADD_FAILURE() << "unexpected " << (isInput ? "input box" : "message box") << ": "
                      << text.toStdString();
        return {isInput, Answer::Cancel, {}, {}};
    }
    Step step = script_.dequeue();
    EXPECT_EQ(step.isInput, isInput)
        << "the script expected another kind of box at: " << text.toStdString();
    if (step.before)
        step.before();
    return step;
}

Prompter::Answer ScriptedPrompter::message(const QString& text, const QString& title,
                                           Buttons buttons, const QString& detail) {
    shown_.append({false, text, title, buttons, {}, detail});
    return next(false, text).answer;
}

QString ScriptedPrompter::input(const QString& prompt, const QString& title,
                                const QString& preset) {
    shown_.append({true, prompt, title, Buttons::OkCancel, preset, {}});
    return next(true, prompt).text;
}

QStringList ScriptedPrompter::texts() const {
    QStringList all;
    for (const Shown& s : shown_)
        all.append(s.text);
    return all;
}

} // namespace kestrix::test
