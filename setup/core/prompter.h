// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace setup {

// The installer talks to the user only to report the failure that ends it; tests answer here.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void ErrorReport(const QString& text) = 0;
};

} // namespace setup
