// SPDX-License-Identifier: GPL-3.0-or-later
// pkunzip's own reading of a ZIP directory on any bytes: no fault, every entry's data lies
// after its local header, and every name decodes to valid UTF-8 or to nothing.
#include "directory.h"
#include "entry_name.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const auto directory = pkunzip::ReadDirectory(in);
    if (!directory)
        return 0;
    for (const pkunzip::ListedEntry& entry : directory->entries) {
        if (entry.local && (entry.local->dataStart < entry.offset + 30 || entry.offset >= size))
            std::abort();
        const auto name =
            pkunzip::EntryNameUtf8(entry.name, entry.flags & pkunzip::kUtf8Name, entry.host);
        if (name && pkunzip::EntryNameUtf8(*name, true, 0) != name)
            std::abort();
    }
    return 0;
}
