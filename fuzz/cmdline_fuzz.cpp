// SPDX-License-Identifier: GPL-3.0-or-later
// Any text splits without fault, and any path quoted for the tool comes back as itself.
#include "core/cmdline.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)kestrix::SplitCommandLine(text);

    const QStringList argv =
        kestrix::SplitCommandLine(QStringLiteral("ucon64 -o=") + kestrix::QuotePath(text));
    if (argv.size() != 2 || argv[1] != QStringLiteral("-o=") + text)
        std::abort();
    return 0;
}
