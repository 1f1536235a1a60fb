// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pkunzip::test {

// ZIP bytes laid out by hand, for archives no honest writer makes.
class RawZip {
public:
    struct Entry {
        std::string name = {};
        std::string data = {}; // a link's target
        bool deflate = true;
        std::uint16_t flags = 0;
        std::int64_t declaredSize = -1; // the real size when negative
        std::uint32_t crcFlip = 0;
        std::uint32_t host = 3; // the system it was made on: 0 DOS, 3 Unix, 11 NTFS
        std::uint32_t mode = 0100644;
        std::string localExtra = {}; // the local header's extra field; the directory has none
    };
    // What the central directory says of an entry.
    struct Record {
        std::string name;
        std::uint32_t flags, method, crc, packed, size, offset, host, mode;
    };

    // Appends a local header and the entry's data; list() puts its record into the directory.
    Record add(const Entry& entry);
    void list(const Record& record) { records_.push_back(record); }
    // The local entries so far, without a directory.
    const std::string& localBytes() const { return bytes_; }
    // With zip64, a Zip64 end record and its locator come first, and the classic end record
    // after them is left wrong, as some writers leave it.
    std::string bytes(const std::string& comment = {}, bool zip64 = false) const;

private:
    std::string bytes_;
    std::vector<Record> records_;
};

} // namespace pkunzip::test
