// SPDX-License-Identifier: GPL-3.0-or-later
#include "archives.h"

#include <archive.h>
#include <archive_entry.h>
#include <fstream>
#include <gtest/gtest.h>

namespace pkunzip::test {

namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xff);
}

struct Deflated {
    std::string raw;
    std::uint32_t crc = 0;
};

// libarchive's gzip writer yields raw deflate data between a 10-byte header and a trailer
// that starts with the CRC-32, which spares the tests a zlib dependency.
Deflated Deflate(const std::string& data) {
    archive* a = archive_write_new();
    archive_write_set_format_raw(a);
    archive_write_add_filter_gzip(a);
    archive_write_set_bytes_in_last_block(a, 1);
    std::string out(data.size() + data.size() / 100 + 4096, '\0');
    size_t used = 0;
    archive_write_open_memory(a, out.data(), out.size(), &used);
    archive_entry* entry = archive_entry_new();
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
    EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK);
    archive_write_data(a, data.data(), data.size());
    archive_entry_free(entry);
    EXPECT_EQ(archive_write_close(a), ARCHIVE_OK);
    archive_write_free(a);

    Deflated result;
    for (int i = 3; i >= 0; --i)
        result.crc = result.crc << 8 | static_cast<unsigned char>(out[used - 8 + i]);
    result.raw = out.substr(10, used - 18);
    return result;
}

} // namespace

void WriteZip(const std::string& path, const std::vector<Item>& items) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    archive_entry* entry = archive_entry_new();
    for (const Item& item : items) {
        archive_entry_clear(entry);
        archive_entry_copy_pathname(entry, item.name.c_str());
        archive_entry_set_filetype(entry, item.type);
        archive_entry_set_perm(entry, item.perm);
        archive_entry_set_size(entry, static_cast<la_int64_t>(item.data.size()));
        if (!item.linkTarget.empty())
            archive_entry_copy_symlink(entry, item.linkTarget.c_str());
        ASSERT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << archive_error_string(a);
        archive_write_data(a, item.data.data(), item.data.size());
    }
    archive_entry_free(entry);
    ASSERT_EQ(archive_write_close(a), ARCHIVE_OK);
    archive_write_free(a);
}

// The fields that local headers and directory records share, up to the name's length.
void PutShared(std::string& out, const RawZip::Record& r) {
    Put(out, 20, 2); // version needed
    Put(out, r.flags, 2);
    Put(out, r.method, 2);
    Put(out, 0x00210000, 4); // 1980-01-01 00:00
    Put(out, r.crc, 4);
    Put(out, r.packed, 4);
    Put(out, r.size, 4);
    Put(out, static_cast<std::uint32_t>(r.name.size()), 2);
}

RawZip::Record RawZip::add(const Layout& layout) {
    const Deflated deflated = Deflate(layout.data);
    const std::string& body = layout.deflate ? deflated.raw : layout.data;
    const auto declared = layout.declaredSize < 0 ? layout.data.size() : layout.declaredSize;
    const Record record{layout.name,
                        layout.flags,
                        static_cast<std::uint16_t>(layout.deflate ? 8 : 0),
                        deflated.crc ^ layout.crcFlip,
                        static_cast<std::uint32_t>(body.size()),
                        static_cast<std::uint32_t>(declared),
                        static_cast<std::uint32_t>(bytes_.size()),
                        layout.host};
    Put(bytes_, 0x04034b50, 4);
    PutShared(bytes_, record);
    Put(bytes_, 0, 2); // extra field length
    bytes_ += record.name + body;
    return record;
}

std::string RawZip::bytes(const std::string& comment) const {
    std::string out = bytes_;
    for (const Record& r : records_) {
        Put(out, 0x02014b50, 4);
        Put(out, 20 | r.host << 8, 2); // version made by
        PutShared(out, r);
        Put(out, 0, 4); // extra field and comment lengths
        Put(out, 0, 4); // disk number, internal attributes
        Put(out, 0100644u << 16, 4);
        Put(out, r.offset, 4);
        out += r.name;
    }
    const auto count = static_cast<std::uint32_t>(records_.size());
    const auto directorySize = static_cast<std::uint32_t>(out.size() - bytes_.size());
    Put(out, 0x06054b50, 4);
    Put(out, 0, 4); // disk numbers
    Put(out, count | count << 16, 4);
    Put(out, directorySize, 4);
    Put(out, static_cast<std::uint32_t>(bytes_.size()), 4);
    Put(out, static_cast<std::uint32_t>(comment.size()), 2);
    return out + comment;
}

void RawZip::save(const std::string& path) const {
    std::ofstream(path, std::ios::binary) << bytes();
}

} // namespace pkunzip::test
