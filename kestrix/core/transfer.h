// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cmdline.h"
#include "core/operation.h"
#include "core/result.h"

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

// Receives into the destination; a ROM and cartridge SRAM add the I/O mode. A relative
// destination beginning with "-" gets "./" before it, or the tool would take it for an option.
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

// Something is at the literal path: a file, a folder, or a link, dangling ones too (renaming
// onto it would replace it).
bool FileExists(const QString& path);

// Renames path to a free name beside it.
Result<MovedAside> MoveAside(const QString& path);

// After a receive: deletes the old file.
Status Discard(const MovedAside& aside);

// After a receive that brought nothing: removes what the run left at the path and puts the old
// file back.
Status PutBack(const MovedAside& aside);

// Whether a receive brought something: the tool ended well (status 0, no error, not stopped)
// and wrote more than the 512-byte header it writes before it first talks to the copier.
Status Received(const RunResult& run, const QString& target);

// A send button: the selected file to the copier; a missing file is reported, since the tool
// would receive into it.
void Send(const Operation& op, Transfer kind, bool realTimeSave, const QString& folder,
          const QString& name, const QString& port);

// A receive button: asks for the destination, keeps an old file there aside while the tool
// receives, and replaces it only with a file really received.
void Receive(const Operation& op, Transfer kind, const QString& port, int ioModeIndex);

} // namespace kestrix
