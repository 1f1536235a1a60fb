// SPDX-License-Identifier: GPL-3.0-or-later
#include "archives.h"

#include <zlib.h>

namespace pkunzip::test {

namespace {

// Little-endian fields of the given sizes.
void Put(std::string& out, std::initializer_list<std::pair<std::uint32_t, int>> fields) {
    for (const auto& [value, size] : fields)
        for (int i = 0; i < size; ++i)
            out += static_cast<char>(value >> (8 * i) & 0xff);
}

// What local headers and directory records share, from the version needed to the name's length.
void PutShared(std::string& out, const RawZip::Record& r) {
    const auto length = static_cast<std::uint32_t>(r.name.size());
    Put(out, {{20, 2}, {r.flags, 2}, {r.method, 2}, {0x00210000, 4}}); // the version, a DOS date
    Put(out, {{r.crc, 4}, {r.packed, 4}, {r.size, 4}, {length, 2}});
}

} // namespace

RawZip::Record RawZip::add(const Entry& e) {
    const auto* data = reinterpret_cast<const Bytef*>(e.data.data());
    const auto size = static_cast<uLong>(e.data.size());
    std::string body = e.data;
    if (e.deflate) { // zlib's stream without its 2-byte header and 4-byte trailer: raw deflate
        uLongf packed = compressBound(size);
        body.resize(packed);
        compress2(reinterpret_cast<Bytef*>(body.data()), &packed, data, size,
                  Z_DEFAULT_COMPRESSION);
        body = body.substr(2, packed - 6);
    }
    const auto u32 = [](auto n) { return static_cast<std::uint32_t>(n); };
    const auto crc = u32(crc32(0, data, static_cast<uInt>(size))) ^ e.crcFlip;
    const auto declared = e.declaredSize < 0 ? u32(size) : u32(e.declaredSize);
    const std::uint32_t method = e.deflate ? 8 : 0;
    const Record r{e.name, e.flags, method, crc, u32(body.size()), declared, u32(bytes_.size()),
                   e.host, e.mode};
    Put(bytes_, {{0x04034b50, 4}});
    PutShared(bytes_, r);
    Put(bytes_, {{u32(e.localExtra.size()), 2}});
    bytes_ += r.name + e.localExtra + body;
    return r;
}

std::string RawZip::bytes(const std::string& comment, bool zip64) const {
    std::string out = bytes_;
    for (const Record& r : records_) {
        Put(out, {{0x02014b50, 4}, {20 | r.host << 8, 2}});
        PutShared(out, r);
        // No extra field or comment, disk 0, no internal attributes, then the mode and offset.
        Put(out, {{0, 4}, {0, 4}, {r.mode << 16, 4}, {r.offset, 4}});
        out += r.name;
    }
    const auto count = static_cast<std::uint32_t>(records_.size());
    const auto size = static_cast<std::uint32_t>(out.size() - bytes_.size());
    const auto offset = static_cast<std::uint32_t>(bytes_.size());
    if (zip64) {
        const auto end = static_cast<std::uint32_t>(out.size());
        // 8-byte fields as two halves; the disks are 0, the record 44 bytes past its size field.
        Put(out, {{0x06064b50, 4}, {44, 4}, {0, 4}, {45 | 45 << 16, 4}, {0, 4}, {0, 4}});
        Put(out, {{count, 4}, {0, 4}, {count, 4}, {0, 4}, {size, 4}, {0, 4}, {offset, 4}, {0, 4}});
        Put(out, {{0x07064b50, 4}, {0, 4}, {end, 4}, {0, 4}, {1, 4}});
    }
    Put(out, {{0x06054b50, 4},
              {zip64 ? 0x00010001u : 0, 4},
              {zip64 ? count + 1 : count | count << 16, 4},
              {zip64 ? 0x7fffffffu : size, 4},
              {zip64 ? 0x7fffffffu : offset, 4},
              {static_cast<std::uint32_t>(comment.size()), 2}});
    return out + comment;
}

} // namespace pkunzip::test
