// SPDX-License-Identifier: GPL-3.0-or-later
// The disk-image reader on any bytes laid over a disk kestrix wrote: no fault, and every file it
// gives back lies within the disk.
#include "core/fat12.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QByteArray blank = *kestrix::MakeFloppyImage(
        QStringLiteral("FUZZ"), {QStringLiteral("GAME.1"), QByteArray(5000, 'x'), {}});
    // The input replaces the boot sector, the FATs and the root folder, where the reader looks.
    QByteArray image = blank;
    image.replace(0, std::min<qsizetype>(static_cast<qsizetype>(size), 33 * 512),
                  QByteArray(reinterpret_cast<const char*>(data),
                             std::min<qsizetype>(static_cast<qsizetype>(size), 33 * 512)));
    const auto files = kestrix::ReadFloppyImage(image);
    if (files)
        for (const kestrix::DiskFile& file : *files)
            if (file.bytes.size() > kestrix::FloppyImageRoom)
                std::abort();
    (void)kestrix::ReadFloppyImage(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
