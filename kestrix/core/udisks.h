// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"

#include <memory>

class QDBusConnection;

namespace kestrix {

// udisks2 on the bus, as the floppy drive's disk service; null where it does not answer. A disk
// put in is given mountWait milliseconds to be mounted by the desktop before it is mounted here.
std::shared_ptr<DiskService> UDisks(const QDBusConnection& bus, int mountWait = 10000);

} // namespace kestrix
