// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/prompter.h"

namespace setup {

// The error report as a message box without an icon.
class QtPrompter : public Prompter {
public:
    void ErrorReport(const QString& text) override;
};

} // namespace setup
