// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fat12.h"
#include "core/operation.h"

#include <QString>
#include <QStringList>

namespace kestrix {

// A floppy disk image as the file list shows it: a name ending in ".img", whatever its case.
bool IsDiskImageName(const QString& name);

// The part a disk image holds: the first file on it with a copier header. Fails naming the image
// when it cannot be read, is no 1.44 MB FAT12 disk or holds no part.
Result<DiskFile> ReadImagePart(const QString& path);

// The image of the next number: the last digits of the name counted up in their width
// (DSKA0003.IMG, DSKA0004.IMG); empty for a name without digits or at the last number.
QString NextImageName(const QString& name);

// The name a floppy emulator's indexed mode gives its disk of that number: DSKA0003.IMG.
QString IndexedImageName(int number);

// The first of count consecutive numbers none of the names takes (DSKA0003 with any suffix,
// whatever its case); -1 when 0000 to 9999 hold no such run.
int FirstFreeNumbers(const QStringList& names, int count);

// The 8.3 name of a part on its disk: the image's name without its suffix, cut to 8 DOS
// characters, and the part number: GAME.1.
QString PartDosName(const QString& imageName, int number);

// "Split to disk images": asks for the folder (imageFolder, the last answer, is the preset and
// gets the new one) and the size, lets the tool split into staging, checks the parts and writes
// one disk image per part under the first free run of numbers.
Status SplitToImages(const Operation& op, const QString& folder, const QString& name,
                     QString& imageFolder);

} // namespace kestrix
