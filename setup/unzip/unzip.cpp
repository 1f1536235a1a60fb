// SPDX-License-Identifier: GPL-3.0-or-later
#include "unzip.h"

#include "entry_name.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <fstream>
#include <limits>
#include <locale.h>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pkunzip {

namespace fs = std::filesystem;

namespace {

constexpr char kProgram[] = "pkunzip: ";
constexpr std::size_t kReadBlock = 1 << 20;

struct ReadFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriteFree {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// libarchive converts names into the current locale's charset, which must be UTF-8 for
// CP437 names to survive; changed for this thread only.
class Utf8Locale {
public:
    Utf8Locale() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {
        if (utf8_)
            previous_ = uselocale(utf8_);
    }
    ~Utf8Locale() {
        if (utf8_) {
            uselocale(previous_);
            freelocale(utf8_);
        }
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t utf8_;
    locale_t previous_ = nullptr;
};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::uint64_t LittleEndian(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

// How many entries the archive's directory lists. libarchive silently reads only one of
// several entries that share a local header, so the count is how such losses show.
std::optional<std::uint64_t> ListedEntryCount(const fs::path& path) {
    constexpr std::size_t kEnd = 22, kLocator = 20, kZip64End = 56;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const auto size = static_cast<std::uint64_t>(in.tellg());
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(size, 0xffff + kEnd));
    if (tail < kEnd)
        return std::nullopt;
    std::vector<unsigned char> bytes(tail);
    in.seekg(static_cast<std::streamoff>(size - tail));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(tail));
    if (!in)
        return std::nullopt;

    for (std::size_t pos = tail - kEnd + 1; pos-- > 0;) {
        const unsigned char* end = bytes.data() + pos;
        // The record whose comment runs exactly to the end of the file, as readers take it.
        if (LittleEndian(end, 4) != 0x06054b50 || pos + kEnd + LittleEndian(end + 20, 2) != tail)
            continue;
        std::uint64_t count = LittleEndian(end + 10, 2);
        if (count == 0xffff && pos >= kLocator && LittleEndian(end - kLocator, 4) == 0x07064b50) {
            std::array<unsigned char, kZip64End> zip64{};
            in.seekg(static_cast<std::streamoff>(LittleEndian(end - kLocator + 8, 8)));
            in.read(reinterpret_cast<char*>(zip64.data()), zip64.size());
            if (!in || LittleEndian(zip64.data(), 4) != 0x06064b50)
                return std::nullopt;
            count = LittleEndian(zip64.data() + 32, 8);
        }
        return count;
    }
    return std::nullopt;
}

std::uint64_t OutputLimit(const Limits& limits, std::uint64_t archiveSize) {
    const std::uint64_t scaled =
        archiveSize != 0 && limits.ratio > std::numeric_limits<std::uint64_t>::max() / archiveSize
            ? std::numeric_limits<std::uint64_t>::max()
            : limits.ratio * archiveSize;
    return std::max(scaled, limits.floorBytes);
}

std::string ErrorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

class Extraction {
public:
    Extraction(const Options& options, std::ostream& err) : options_(options), err_(err) {}

    int run(const fs::path& path);

private:
    void entry(archive_entry* in, int headerStatus, std::uint64_t number);
    // Streams the entry's data to disk; false, with the reason, when it was not all written.
    bool copyData(archive_entry* in, std::string& problem);
    bool sharesEarlierData(la_int64_t start) const;
    void refuse(std::string_view label, std::string_view why);

    const Options& options_;
    std::ostream& err_;
    archive* reader_ = nullptr;
    archive* disk_ = nullptr;
    std::unique_ptr<archive_entry, EntryFree> out_{archive_entry_new()};
    std::uint64_t limit_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t failures_ = 0;
    bool fatal_ = false;
    std::optional<std::string> stopped_;          // why the remaining entries are not unpacked
    std::map<la_int64_t, la_int64_t> dataRanges_; // start -> end of the data unpacked so far
};

int Extraction::run(const fs::path& path) {
    std::error_code ec;
    const std::uint64_t archiveSize = fs::file_size(path, ec);
    limit_ = OutputLimit(options_.limits, ec ? 0 : archiveSize);

    Utf8Locale utf8;
    std::unique_ptr<archive, ReadFree> reader(archive_read_new());
    std::unique_ptr<archive, WriteFree> disk(archive_write_disk_new());
    reader_ = reader.get();
    disk_ = disk.get();
    // The seekable reader trusts the central directory, as the format intends.
    archive_read_support_format_zip_seekable(reader_);
    archive_read_set_format_option(reader_, "zip", "hdrcharset", "CP437");
    int flags = ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS;
    // Without -o, nothing on disk is removed, not even a symbolic link in an entry's path:
    // libarchive then refuses to extract through it.
    flags |= options_.overwrite ? ARCHIVE_EXTRACT_UNLINK : ARCHIVE_EXTRACT_NO_OVERWRITE;
    archive_write_disk_set_options(disk_, flags);

    const std::string archiveName = Printable(path.native());
    if (archive_read_open_filename(reader_, path.c_str(), kReadBlock) != ARCHIVE_OK) {
        // libarchive does not take an archive without entries for a ZIP; it has nothing to
        // write, so all of it is written.
        if (const auto listed = ListedEntryCount(path); listed && *listed == 0)
            return kAllWritten;
        err_ << kProgram << archiveName << ": " << ErrorOf(reader_) << '\n';
        return kNotAllWritten;
    }

    std::uint64_t read = 0;
    for (;;) {
        archive_entry* in = nullptr;
        const int status = archive_read_next_header(reader_, &in);
        if (status == ARCHIVE_EOF)
            break;
        if (status == ARCHIVE_FATAL) {
            err_ << kProgram << archiveName << ": " << ErrorOf(reader_) << '\n';
            ++failures_;
            fatal_ = true;
            break;
        }
        entry(in, status, ++read);
        if (fatal_)
            break;
    }

    if (!fatal_) {
        const auto listed = ListedEntryCount(path);
        if (listed && *listed > read) {
            err_ << kProgram << archiveName << ": " << *listed - read << " of the " << *listed
                 << " entries it lists were not read (entries sharing their data)\n";
            ++failures_;
        }
    }
    // Folders get their times and permissions only now, after their files.
    if (archive_write_close(disk_) != ARCHIVE_OK) {
        err_ << kProgram << ErrorOf(disk_) << '\n';
        ++failures_;
    }
    return failures_ == 0 ? kAllWritten : kNotAllWritten;
}

void Extraction::refuse(std::string_view label, std::string_view why) {
    err_ << kProgram << label << ": not written: " << why << '\n';
    ++failures_;
}

bool Extraction::sharesEarlierData(la_int64_t start) const {
    auto next = dataRanges_.upper_bound(start);
    return next != dataRanges_.begin() && start < std::prev(next)->second;
}

void Extraction::entry(archive_entry* in, int headerStatus, std::uint64_t number) {
    const char* utf8 = archive_entry_pathname_utf8(in);
    const std::string label = utf8 ? Printable(utf8) : "entry " + std::to_string(number);
    if (stopped_)
        return refuse(label, *stopped_);
    if (headerStatus != ARCHIVE_OK)
        return refuse(label, ErrorOf(reader_));
    if (!utf8)
        return refuse(label, "its name cannot be read");
    const auto name = CheckedEntryName(utf8);
    if (!name)
        return refuse(label, "its name leads outside the folder");
    const auto type = archive_entry_filetype(in);
    if ((type != AE_IFREG && type != AE_IFDIR) || archive_entry_hardlink(in))
        return refuse(label, "only plain files and folders are unpacked");
    if (type == AE_IFDIR && !options_.folders)
        return;

    const la_int64_t start = archive_filter_bytes(reader_, 0);
    if (type == AE_IFREG && sharesEarlierData(start))
        return refuse(label, "its data overlaps another entry's");

    const std::string target =
        options_.folders ? *name : name->substr(name->rfind('/') + 1); // npos + 1 == 0
    std::error_code ec;
    if (type == AE_IFREG && !options_.overwrite &&
        fs::symlink_status(target, ec).type() != fs::file_type::not_found)
        return refuse(label, "a file of that name exists (-o overwrites)");

    archive_entry* out = out_.get();
    archive_entry_clear(out);
    archive_entry_copy_pathname(out, target.c_str());
    archive_entry_set_filetype(out, type);
    // Plain permission bits only: never set-user-ID or set-group-ID from an archive.
    const mode_t perm = archive_entry_perm(in) & 0777;
    archive_entry_set_perm(out, perm != 0 ? perm : type == AE_IFDIR ? 0755 : 0644);
    if (archive_entry_mtime_is_set(in))
        archive_entry_set_mtime(out, archive_entry_mtime(in), archive_entry_mtime_nsec(in));
    if (type == AE_IFREG && archive_entry_size_is_set(in))
        archive_entry_set_size(out, archive_entry_size(in));

    const int header = archive_write_header(disk_, out);
    if (header != ARCHIVE_OK) {
        const std::string problem = ErrorOf(disk_);
        fatal_ = header == ARCHIVE_FATAL;
        if (header == ARCHIVE_WARN && type == AE_IFREG) {
            archive_write_finish_entry(disk_);
            fs::remove(target, ec);
        }
        return refuse(label, problem);
    }
    if (type == AE_IFDIR) {
        if (archive_write_finish_entry(disk_) != ARCHIVE_OK)
            refuse(label, ErrorOf(disk_));
        return;
    }

    std::string problem;
    const bool complete = copyData(in, problem);
    if (complete)
        dataRanges_.emplace(start, archive_filter_bytes(reader_, 0));
    if (archive_write_finish_entry(disk_) != ARCHIVE_OK && problem.empty())
        problem = ErrorOf(disk_);
    if (!problem.empty()) {
        fs::remove(target, ec);
        refuse(label, problem);
    }
}

bool Extraction::copyData(archive_entry* in, std::string& problem) {
    const bool sizeKnown = archive_entry_size_is_set(in);
    const auto declared = static_cast<std::uint64_t>(archive_entry_size(in));
    std::uint64_t written = 0;
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader_, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return true;
        if (status != ARCHIVE_OK) {
            // Warnings here are a bad checksum or a wrong size: the data is not what was packed.
            problem = ErrorOf(reader_);
            fatal_ = status == ARCHIVE_FATAL;
            return false;
        }
        if (offset < 0 || static_cast<std::uint64_t>(offset) != written) {
            problem = "its data is damaged";
            return false;
        }
        // Counted before writing, so neither a lying entry nor a bomb ever reaches the disk.
        if (sizeKnown && size > declared - written) {
            problem =
                "it unpacks to more than the " + std::to_string(declared) + " bytes it declares";
            return false;
        }
        if (size > limit_ - total_) {
            stopped_ = "the archive unpacks to more than " + std::to_string(limit_) +
                       " bytes, so unpacking stopped";
            problem = *stopped_;
            return false;
        }
        if (archive_write_data_block(disk_, block, size, offset) != ARCHIVE_OK) {
            problem = ErrorOf(disk_);
            return false;
        }
        written += size;
        total_ += size;
    }
}

} // namespace

std::optional<Options> ParseArguments(std::span<const std::string_view> args) {
    Options options;
    bool haveArchive = false;
    for (const std::string_view arg : args) {
        if (arg.size() > 1 && arg.front() == '-') {
            for (const char letter : arg.substr(1)) {
                if (letter == 'd')
                    options.folders = true;
                else if (letter == 'o')
                    options.overwrite = true;
                else
                    return std::nullopt;
            }
        } else if (!haveArchive && !arg.empty()) {
            options.archive = arg;
            haveArchive = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveArchive)
        return std::nullopt;
    return options;
}

void PrintUsage(std::ostream& err) {
    err << "usage: pkunzip [-d] [-o] ARCHIVE\n"
           "Unpacks the ZIP archive ARCHIVE into the current folder.\n"
           "  -d  re-create the archive's folders (else every file lands in the current folder)\n"
           "  -o  overwrite existing files without asking\n";
}

std::optional<fs::path> FindArchive(const fs::path& given, std::ostream& err) {
    const std::string shown = Printable(given.native());
    std::error_code ec;
    fs::path found = given.root_path();
    for (const fs::path& part : given.relative_path()) {
        const fs::path exact = found / part;
        if (fs::exists(exact, ec)) {
            found = exact;
            continue;
        }
        std::vector<fs::path> matches;
        fs::directory_iterator item(found.empty() ? fs::path(".") : found, ec);
        for (; !ec && item != fs::directory_iterator(); item.increment(ec)) {
            if (SameIgnoringCase(item->path().filename().native(), part.native()))
                matches.push_back(found / item->path().filename());
        }
        if (matches.size() > 1) {
            err << kProgram << shown << ": several files match it in all but letter case\n";
            return std::nullopt;
        }
        if (matches.empty()) {
            err << kProgram << shown << ": no such archive\n";
            return std::nullopt;
        }
        found = matches.front();
    }
    if (!fs::is_regular_file(found, ec)) {
        err << kProgram << shown << ": no such archive\n";
        return std::nullopt;
    }
    return found;
}

int Unzip(const Options& options, std::ostream& err) {
    const auto path = FindArchive(options.archive, err);
    if (!path)
        return kNotAllWritten;
    return Extraction(options, err).run(*path);
}

} // namespace pkunzip
