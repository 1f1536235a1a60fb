// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cmdline.h"
#include "core/fileslot.h"
#include "core/operation.h"

#include <QString>

namespace kestrix {

// The four tool runs of the "Local Operations" frame.
enum class LocalOp { SlowRom, Checksum, PalNtsc, Convert };

// Only the three fixes move to the working folder first; the conversion leaves it alone.
bool SwitchesToWorkFolder(LocalOp op);

// Tool text, the quoted file path, " -o=" and the quoted folder: the tool writes its result
// beside the file. Both paths go through QuotePath, so blanks and a drive root survive.
QString LocalCommandLine(LocalOp op, const QString& folder, const QString& name,
                         QChar separator = hostSeparator());

// A "Local Operations" button: the tool on the selected file, its result beside it. Nothing runs
// without a readable selected file (given a folder, the tool rewrites every file in it), and
// Convert refuses an image that already has the copier header. The file is read through slot1.
void LocalOperation(const Operation& op, LocalOp kind, FileSlot& slot1, const QString& folder,
                    const QString& name);

} // namespace kestrix
