// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tool/cmdline.h"

#include <QString>

namespace kestrix {

// The four tool runs of the "Local Operations" frame.
enum class LocalOp { SlowRom, Checksum, PalNtsc, Convert };

// Only the three fixes move to the program folder first; the conversion leaves it alone.
bool SwitchesToProgramFolder(LocalOp op);

// Tool text, the quoted file path, " -o=" and the quoted folder: the tool writes its result
// beside the file. Both paths go through QuotePath, so blanks and a drive root survive.
QString LocalCommandLine(LocalOp op, const QString& folder, const QString& name,
                         QChar separator = hostSeparator());

// What the conversion says when the selected file cannot be read; reason in the system's words.
QString CannotReadMessage(const QString& path, const QString& reason);

} // namespace kestrix
