// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/operation.h"

#include <QString>
#include <QStringList>

namespace kestrix {

// The most a 1.44 MB disk holds, in Mbit; the limit itself is allowed.
inline constexpr double FloppyPartLimit = 11;

// The destination lies on the floppy when it begins with exactly "A:" ("a:\" does not).
bool IsFloppyDestination(const QString& destination);

// The number the size answer begins with, blanks anywhere ignored, fractions counted; 0 when
// it begins with no number.
double SizeValue(const QString& answer);

// What the tool gets for the size: the answer with its spaces removed.
QString SizeOption(const QString& answer);

// NAME.2 before NAME.10: a numeric last suffix compares as a number.
bool PartNumberLess(const QString& a, const QString& b);

// Fails for an image the tool cannot split for this copier: unreadable, or without a copier
// header.
Status CheckSplittable(const QString& folder, const QString& name);

// The size per part, as Split asks for it; for floppies more than 11 Mbit is asked again. Cancel
// gives the empty text.
QString AskPartSize(Prompter& ask, bool floppy);

// The tool's split of the image into the folder, checked by size: the parts it wrote, in order.
// A run that fails, or parts cut short, leave none of the parts behind.
Result<QStringList> SplitInto(const Operation& op, const QString& folder, const QString& name,
                              const QString& size, const QString& outputFolder);

// "Split": asks where to and how big, lets the tool write the parts, checks them by size and, for
// the floppy, copies them onto disks, one part per disk.
Status Split(const Operation& op, const QString& folder, const QString& name);

} // namespace kestrix
