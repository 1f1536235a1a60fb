// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pkunzip::test {

// An entry of an archive made by libarchive's own writer.
struct Item {
    std::string name;
    std::string data;
    mode_t type = 0100000; // regular file
    std::string linkTarget = {};
    mode_t perm = 0644;
};
void WriteZip(const std::string& path, const std::vector<Item>& items);

// ZIP bytes laid out by hand, for archives no honest writer makes.
class RawZip {
public:
    struct Layout {
        std::string name;
        std::string data;
        bool deflate = true;
        std::uint16_t flags = 0;
        std::int64_t declaredSize = -1; // the real size when negative
        std::uint32_t crcFlip = 0;
        unsigned host = 3; // the system it was made on: 0 DOS, 3 Unix, 11 NTFS, 14 VFAT
    };
    // What the central directory says of an entry.
    struct Record {
        std::string name;
        std::uint16_t flags, method;
        std::uint32_t crc, packed, size, offset;
        unsigned host;
    };

    // Appends a local header and the entry's data, and returns the entry's directory record;
    // list() puts records into the directory.
    Record add(const Layout& layout);
    void list(const Record& record) { records_.push_back(record); }
    Record addListed(const Layout& layout) {
        Record record = add(layout);
        list(record);
        return record;
    }
    // The local entries so far, without a directory.
    const std::string& localBytes() const { return bytes_; }
    std::string bytes(const std::string& comment = {}) const;
    void save(const std::string& path) const;

private:
    std::string bytes_;
    std::vector<Record> records_;
};

} // namespace pkunzip::test
