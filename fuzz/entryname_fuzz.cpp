// SPDX-License-Identifier: GPL-3.0-or-later
// No entry name, however made, is let through pointing outside the folder it is unpacked in.
#include "entry_name.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const auto name = pkunzip::CheckedEntryName(raw);
    if (!name)
        return 0;
    if (name->empty() || name->front() == '/' || name->find('\\') != std::string::npos ||
        name->find('\0') != std::string::npos)
        std::abort();
    if (name->size() >= 2 && (*name)[1] == ':' &&
        std::isalpha(static_cast<unsigned char>((*name)[0])))
        std::abort();
    std::string_view rest = *name;
    for (;;) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == "..")
            std::abort();
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    // Checking again changes nothing.
    if (pkunzip::CheckedEntryName(*name) != name)
        std::abort();
    return 0;
}
