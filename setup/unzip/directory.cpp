// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory.h"

#include <algorithm>
#include <istream>

namespace pkunzip {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50, kLocatorSignature = 0x07064b50,
                        kZip64EndSignature = 0x06064b50, kRecordSignature = 0x02014b50,
                        kLocalSignature = 0x04034b50;
constexpr std::uint64_t kEndSize = 22, kLocatorSize = 20, kZip64EndSize = 56, kRecordSize = 46,
                        kLocalSize = 30, kAllOnes = 0xffffffff;

std::uint64_t Field(const std::string& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

bool ReadAt(std::istream& in, std::uint64_t offset, std::uint64_t size, std::string& out) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    out.resize(size);
    in.read(out.data(), static_cast<std::streamsize>(size));
    return in && static_cast<std::uint64_t>(in.gcount()) == size;
}

// Whether an extra field is made of whole parts, each a 4-byte header and the data it declares,
// as libarchive demands of it.
bool WholeParts(const std::string& extra) {
    std::size_t at = 0;
    while (at + 4 <= extra.size())
        at += 4 + Field(extra, at + 2, 2);
    return at == extra.size();
}

std::optional<ListedEntry::Local> ReadLocal(std::istream& in, std::uint64_t offset) {
    std::string header, name, extra;
    if (!ReadAt(in, offset, kLocalSize, header) || Field(header, 0, 4) != kLocalSignature)
        return std::nullopt;
    const std::uint64_t nameSize = Field(header, 26, 2), extraSize = Field(header, 28, 2);
    if (!ReadAt(in, offset + kLocalSize, nameSize, name))
        return std::nullopt;
    const bool extraRead = ReadAt(in, offset + kLocalSize + nameSize, extraSize, extra);
    return ListedEntry::Local{
        name, static_cast<std::uint16_t>(Field(header, 6, 2)),
        offset + kLocalSize + nameSize + extraSize,
        static_cast<std::uint16_t>(extraRead && !WholeParts(extra) ? extraSize : 0)};
}

// The Zip64 extra field holds the 64-bit values of the record's fields that are all ones, in
// the order: size, packed size, local header offset.
std::uint64_t Zip64Offset(const std::string& record, const std::string& extra) {
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::size_t size = Field(extra, at + 2, 2);
        if (Field(extra, at, 2) == 1) {
            std::size_t field = at + 4;
            for (const std::size_t skipped : {24, 20})
                field += Field(record, skipped, 4) == kAllOnes ? 8 : 0;
            return field + 8 <= std::min(at + 4 + size, extra.size()) ? Field(extra, field, 8)
                                                                      : kAllOnes;
        }
        at += 4 + size;
    }
    return kAllOnes;
}

// The directory that the end record at the given offset describes, if it makes sense. A sound
// Zip64 end record before it wins over the record's own values, as libarchive takes it: some
// writers leave those wrong beside a right Zip64 record.
std::optional<Directory> FromEnd(std::istream& in, const std::string& end, std::uint64_t at) {
    Directory directory{Field(end, 10, 2), {}};
    std::uint64_t size = Field(end, 12, 4), offset = Field(end, 16, 4), directoryEnd = at;
    std::string locator, zip64;
    if (at >= kLocatorSize && ReadAt(in, at - kLocatorSize, kLocatorSize, locator) &&
        Field(locator, 0, 4) == kLocatorSignature && Field(locator, 4, 4) == 0 &&
        Field(locator, 16, 4) == 1 && Field(locator, 8, 8) <= at - kLocatorSize &&
        ReadAt(in, Field(locator, 8, 8), kZip64EndSize, zip64) &&
        Field(zip64, 0, 4) == kZip64EndSignature && Field(zip64, 16, 4) == 0 &&
        Field(zip64, 20, 4) == 0 && Field(zip64, 24, 8) == Field(zip64, 32, 8)) {
        directoryEnd = Field(locator, 8, 8);
        directory.count = Field(zip64, 32, 8);
        size = Field(zip64, 40, 8);
        offset = Field(zip64, 48, 8);
    } else if (Field(end, 4, 2) != 0 || Field(end, 6, 2) != 0 ||
               Field(end, 8, 2) != Field(end, 10, 2)) {
        return std::nullopt;
    }
    if (size > directoryEnd || offset > directoryEnd - size)
        return std::nullopt;
    // Bytes put before the archive (a self-extractor's program) shift every offset alike.
    const std::uint64_t shift = directoryEnd - size - offset;

    std::string record, name, extra;
    for (std::uint64_t pos = directoryEnd - size; pos + kRecordSize <= directoryEnd;) {
        if (!ReadAt(in, pos, kRecordSize, record) || Field(record, 0, 4) != kRecordSignature)
            break;
        const std::uint64_t nameSize = Field(record, 28, 2), extraSize = Field(record, 30, 2);
        if (!ReadAt(in, pos + kRecordSize, nameSize, name) ||
            !ReadAt(in, pos + kRecordSize + nameSize, extraSize, extra))
            break;
        ListedEntry entry{name,
                          static_cast<std::uint16_t>(Field(record, 8, 2)),
                          static_cast<unsigned>(Field(record, 5, 1)),
                          Field(record, 42, 4),
                          {}};
        if (entry.offset == kAllOnes)
            entry.offset = Zip64Offset(record, extra);
        entry.offset += shift;
        entry.local = ReadLocal(in, entry.offset);
        directory.entries.push_back(std::move(entry));
        pos += kRecordSize + nameSize + extraSize + Field(record, 32, 2);
    }
    return directory;
}

} // namespace

std::optional<Directory> ReadDirectory(std::istream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < static_cast<std::streamoff>(kEndSize))
        return std::nullopt;
    const auto fileSize = static_cast<std::uint64_t>(end);
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, 0xffff + kEndSize);
    std::string tail;
    if (!ReadAt(in, fileSize - tailSize, tailSize, tail))
        return std::nullopt;
    // The last end record that makes sense, as readers take it.
    for (std::size_t pos = tailSize - kEndSize + 1; pos-- > 0;) {
        if (Field(tail, pos, 4) != kEndSignature)
            continue;
        if (auto directory = FromEnd(in, tail.substr(pos, kEndSize), fileSize - tailSize + pos))
            return directory;
    }
    return std::nullopt;
}

} // namespace pkunzip
