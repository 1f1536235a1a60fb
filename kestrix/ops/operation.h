// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"
#include "window/prompter.h"

#include <QString>
#include <functional>

namespace kestrix {

// Runs a command line for the tool and waits for it; false when the tool could not be started
// or failed, the user having been told why.
using Runner = std::function<bool(const QString& commandLine)>;

// What an operation needs from the window: the host's facts, the user, and the tool.
struct Operation {
    const Platform& platform;
    Prompter& prompter;
    Runner run;
};

} // namespace kestrix
