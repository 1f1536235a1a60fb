// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace pkunzip {

// An entry as the archive's central directory lists it. libarchive reports neither the
// entries it skips nor the system an entry was made on, which decides how its name is encoded.
struct ListedEntry {
    std::string name; // raw bytes
    std::uint16_t flags = 0;
    unsigned host = 0; // the high byte of "version made by"
    std::uint64_t offset = 0;
    // What its local header says; libarchive unpacks under this name.
    struct Local {
        std::string name; // raw bytes
        std::uint16_t flags = 0;
        std::uint64_t dataStart = 0;
        // The size of its extra field when that is not made of whole parts, which libarchive
        // refuses the whole archive for; 0 when it is sound.
        std::uint16_t brokenExtraSize = 0;
    };
    std::optional<Local> local; // nothing when no local header is where the entry points
};

struct Directory {
    std::uint64_t count = 0; // the entries the end record announces
    std::vector<ListedEntry> entries;
};

inline constexpr std::uint16_t kUtf8Name = 0x800;

// The central directory of a ZIP archive, found however the archive ends (a comment, bytes
// after it); nothing when it has no end record that makes sense.
std::optional<Directory> ReadDirectory(std::istream& in);

} // namespace pkunzip
