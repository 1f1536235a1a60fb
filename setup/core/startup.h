// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/result.h"
#include "core/script.h"

namespace setup {

class Prompter;
class UnzipProcess;

// Opening the installer's window: its folder becomes the current one, the unzip program is
// started there and left to run, and the script is opened and its header read; the script stays
// open for the installation run. A failure is reported; the installer must then end.
[[nodiscard]] Result<Header> StartUp(const Platform& platform, UnzipProcess& unzip, Script& script,
                                     Prompter& prompter);

} // namespace setup
