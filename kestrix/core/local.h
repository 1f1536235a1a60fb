// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileslot.h"
#include "core/operation.h"

#include <QString>

namespace kestrix {

// The four tool runs of the "Local Operations" frame.
enum class LocalOp { SlowRom, Checksum, PalNtsc, Convert };

// A "Local Operations" button: the tool on the selected file, its result beside it. Nothing runs
// without a readable selected file (given a folder, the tool rewrites every file in it), and
// Convert refuses an image that already has the copier header. The file is read through slot1.
Status LocalOperation(const Operation& op, LocalOp kind, FileSlot& slot1, const QString& folder,
                      const QString& name);

} // namespace kestrix
