// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kestrix {

// Every message box and input box of the program goes through here, so tests can answer them.
class Prompter {
public:
    enum class Buttons { Ok, OkCancel, YesNo, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~Prompter() = default;

    // An empty title means the program's default title; a detail is shown below the text.
    // Escape and the close box give Cancel (No for Yes/No), never OK.
    virtual Answer message(const QString& text, const QString& title = {},
                           Buttons buttons = Buttons::Ok, const QString& detail = {}) = 0;
    // Cancel gives the empty text.
    virtual QString input(const QString& prompt, const QString& title = {},
                          const QString& preset = {}) = 0;
};

} // namespace kestrix
