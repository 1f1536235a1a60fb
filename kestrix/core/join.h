// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/operation.h"

#include <QString>

namespace kestrix {

// A name the join writes or deletes in the working folder: base.tmp, and when gathering from
// disks base.N for every part number N.
bool IsJoinWorkName(const QString& name, const QString& base, bool gathering);

// "Join": asks for the output, gathers the parts from the disks when the floppy is browsed, or
// from the disk images of the following numbers when a disk image is selected,
// checks the set, lets the tool join it and copies the checked result to the output.
Status Join(const Operation& op, const QString& folder, const QString& name, bool floppy);

} // namespace kestrix
