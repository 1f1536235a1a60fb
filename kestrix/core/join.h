// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cmdline.h"
#include "core/operation.h"

#include <QString>

namespace kestrix {

// A set's first part: the name ends in exactly ".1".
bool IsFirstPart(const QString& name);

// The first part's name without ".1".
QString PartBase(const QString& firstPart);

// base + "." + number, the number in plain decimal.
QString PartName(const QString& base, int number);

// "ucon64 -j --snes " and the quoted path of the first part.
QString JoinToolLine(const QString& folder, const QString& name, QChar separator = hostSeparator());

// A name the join writes or deletes in the working folder: base.tmp, and when gathering from
// disks base.N for every part number N.
bool IsJoinWorkName(const QString& name, const QString& base, bool gathering);

// The first entry of the working folder that bears such a name: a file of the user's that the
// join would overwrite or delete. Empty when there is none.
QString TakenWorkName(const QString& workFolder, const QString& base, bool gathering);

QString NotFirstPartMessage();
QString WorkNameTakenMessage(const QString& path);
QString OutputIsWorkFileMessage(const QString& path);
QString PartMissingMessage(const QString& part);
QString NoJoinedFileMessage(const QString& tmpName);
QString JoinedSizeMessage(const QString& tmpName, qint64 bytes, qint64 expected);
QString OutputCopyFailedMessage(const QString& reason, const QString& keptTmp);
QString NextDiskPrompt();

// "Join": asks for the output, gathers the parts from the disks when the floppy is browsed,
// checks the set, lets the tool join it and copies the checked result to the output. Tells the
// user every outcome.
void Join(const Operation& op, const QString& folder, const QString& name, bool floppy);

} // namespace kestrix
