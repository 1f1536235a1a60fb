// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/prompter.h"
#include "core/runner.h"

#include <QString>
#include <functional>

namespace kestrix {

// Runs a command line for the tool and waits for it, then re-reads the lists.
using Runner = std::function<RunResult(const QString& commandLine)>;

// Shows a long copy while the window waits for it, on the window's thread.
class Progress {
public:
    virtual ~Progress() = default;
    // A bar for a copy of total bytes appears; its Cancel calls stop.
    virtual void begin(const QString& text, qint64 total, std::function<void()> stop) = 0;
    virtual void advance(qint64 done) = 0;
    virtual void end() = 0;
};

// What an operation needs from the window: the host's facts, the user, and the tool.
struct Operation {
    const Platform& platform;
    Prompter& prompter;
    Runner run;
    // Shows the last run's output again, for a message that refers to it.
    std::function<void()> showOutput = [] {};
    // Where floppy copies show how they go; without it they run where they are called.
    Progress* progress = nullptr;
};

} // namespace kestrix
