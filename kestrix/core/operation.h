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

// What an operation needs from the window: the host's facts, the user, and the tool.
struct Operation {
    const Platform& platform;
    Prompter& prompter;
    Runner run;
    // Shows the last run's output again, for a message that refers to it.
    std::function<void()> showOutput = [] {};
};

} // namespace kestrix
