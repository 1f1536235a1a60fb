// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tool/cmdline.h"

#include <QString>
#include <optional>

namespace kestrix {

// The four kinds of data the copier exchanges; each has a send and a receive button.
enum class Transfer { Rom, Sram, CartSram, Rts };

// The I/O-mode option for a Combo1 index, beginning with a blank; empty for no entry (-1) or
// any index outside the list.
QString IOModeOption(int index);

// Sends the selected file: tool option, quoted path and the port as typed. The real-time-save
// flag only matters for a ROM.
QString SendCommandLine(Transfer kind, bool realTimeSave, const QString& folder,
                        const QString& name, const QString& port,
                        QChar separator = hostSeparator());

// Receives into the destination; a ROM and cartridge SRAM add the I/O mode.
QString ReceiveCommandLine(Transfer kind, const QString& destination, const QString& port,
                           int ioModeIndex);

// The receive button's input prompt.
QString DestinationPrompt(Transfer kind);

// The tool sends a file that exists, so an old file at the destination must be out of its way
// while it receives, and must come back if it receives nothing.
struct MovedAside {
    QString path;
    QString backup;
};

// Something is at path: a file, a folder, or a link, dangling ones too (renaming onto it would
// replace it).
bool Occupied(const QString& path);

// Renames path to a free name beside it; nothing, with *error set, when that fails.
std::optional<MovedAside> MoveAside(const QString& path, QString* error);

// After the tool: deletes the backup when the tool wrote the destination, else renames it back.
// Empty on success, else what the user must be told (where the old file is now).
QString PutBack(const MovedAside& aside);

} // namespace kestrix
