// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QString>

namespace setup {

// Reads the number a text begins with, as lenient numeric conversions of old BASICs do:
// blanks, tabs and line feeds anywhere are skipped; then an optional sign, digits, a fraction
// and an exponent, or a hexadecimal (&H) or octal (&O) number; reading stops at the first
// character that cannot continue it. No number at the start gives 0.
double Val(const QString& text);

// The "FILES " value as the progress bar's maximum: Val rounded half to even, which must fit a
// 32-bit whole number.
Result<int> FilesMaximum(const QString& value);

} // namespace setup
