// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/operation.h"
#include "core/result.h"

#include <QString>

namespace kestrix {

// The four kinds of data the copier exchanges; each has a send and a receive button.
enum class Transfer { Rom, Sram, CartSram, Rts };

// A send button: the selected file to the copier; a missing file is refused, since the tool
// would receive into it.
Status Send(const Operation& op, Transfer kind, bool realTimeSave, const QString& folder,
            const QString& name, const QString& port);

// A receive button: asks for the destination, keeps an old file there aside while the tool
// receives, and replaces it only with a file really received.
Status Receive(const Operation& op, Transfer kind, const QString& port, int ioModeIndex);

} // namespace kestrix
