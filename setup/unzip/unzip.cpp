// SPDX-License-Identifier: GPL-3.0-or-later
#include "unzip.h"

#include "directory.h"
#include "entry_name.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <locale.h>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

// libarchive converts names flagged as UTF-8 into the current locale's charset, which must be
// UTF-8 for them to survive; changed for this thread only.
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

// libarchive's writer says only "Write failed" and the like; the system's reason is its errno.
std::string DiskErrorOf(archive* a) {
    const int error = archive_errno(a);
    return error > 0 ? ErrorOf(a) + ": " + std::strerror(error) : ErrorOf(a);
}

// The archive as libarchive reads it: the file, except that each local extra field that is not
// made of whole parts reads as one part of a kind no reader knows. libarchive refuses the whole
// archive for such a field and Info-ZIP's unzip passes over it; all it could add to the central
// directory's record is a time or an owner.
class Source {
public:
    ~Source() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(const fs::path& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0)
            return false;
        size_ = static_cast<std::uint64_t>(st.st_size);
        return true;
    }
    void repair(const Directory& directory) {
        for (const ListedEntry& entry : directory.entries) {
            // Too short for a part's header, it cannot be made into one: that entry is refused.
            if (entry.local && entry.local->brokenExtraSize >= 4) {
                const std::uint16_t size = entry.local->brokenExtraSize;
                std::string part(size, '\0');
                part[0] = part[1] = '\xff';
                part[2] = static_cast<char>((size - 4) & 0xff);
                part[3] = static_cast<char>((size - 4) >> 8);
                repairs_[entry.local->dataStart - size] = std::move(part);
            }
        }
    }
    void attach(archive* a) {
        archive_read_set_callback_data(a, this);
        archive_read_set_read_callback(a, Read);
        archive_read_set_seek_callback(a, Seek);
        archive_read_set_skip_callback(a, Skip);
    }

private:
    static la_ssize_t Read(archive* a, void* data, const void** block) {
        auto& self = *static_cast<Source*>(data);
        self.buffer_.resize(kReadBlock);
        ssize_t n = 0;
        while ((n = ::pread(self.fd_, self.buffer_.data(), kReadBlock,
                            static_cast<off_t>(self.position_))) < 0 &&
               errno == EINTR) {
        }
        if (n < 0) {
            archive_set_error(a, errno, "Read error");
            return ARCHIVE_FATAL;
        }
        const std::uint64_t from = self.position_, to = from + static_cast<std::uint64_t>(n);
        auto repair = self.repairs_.upper_bound(from);
        if (repair != self.repairs_.begin())
            --repair;
        for (; repair != self.repairs_.end() && repair->first < to; ++repair) {
            const std::uint64_t start = std::max(from, repair->first);
            const std::uint64_t end =
                std::min<std::uint64_t>(to, repair->first + repair->second.size());
            if (start < end)
                std::copy_n(repair->second.data() + (start - repair->first), end - start,
                            self.buffer_.data() + (start - from));
        }
        self.position_ = to;
        *block = self.buffer_.data();
        return n;
    }
    static la_int64_t Seek(archive*, void* data, la_int64_t offset, int whence) {
        auto& self = *static_cast<Source*>(data);
        const auto base = static_cast<la_int64_t>(whence == SEEK_SET   ? 0
                                                  : whence == SEEK_CUR ? self.position_
                                                                       : self.size_);
        if (base + offset < 0)
            return ARCHIVE_FATAL;
        self.position_ = static_cast<std::uint64_t>(base + offset);
        return base + offset;
    }
    static la_int64_t Skip(archive*, void* data, la_int64_t request) {
        static_cast<Source*>(data)->position_ +=
            static_cast<std::uint64_t>(std::max<la_int64_t>(request, 0));
        return std::max<la_int64_t>(request, 0);
    }

    int fd_ = -1;
    std::uint64_t size_ = 0, position_ = 0;
    std::vector<char> buffer_;
    std::map<std::uint64_t, std::string> repairs_; // where a part is read instead of the bytes
};

class Extraction {
public:
    Extraction(const Options& options, std::ostream& err) : options_(options), err_(err) {}

    int run(const fs::path& path);

private:
    void entry(archive_entry* in, int headerStatus);
    // The directory's entry whose data libarchive is at, marked as read. A link's data is read
    // with its header, so libarchive is past it by then.
    const ListedEntry* listedAt(la_int64_t start, bool dataRead);
    void reportUnread(const std::string& archiveName);
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
    std::optional<std::string> unreadable_;       // why libarchive could read no further
    std::map<la_int64_t, la_int64_t> dataRanges_; // start -> end of the data unpacked so far
    Directory directory_;
    std::multimap<std::uint64_t, std::size_t> listed_; // data start -> entry not read yet
};

int Extraction::run(const fs::path& path) {
    std::error_code ec;
    const std::uint64_t archiveSize = fs::file_size(path, ec);
    limit_ = OutputLimit(options_.limits, ec ? 0 : archiveSize);
    std::ifstream file(path, std::ios::binary);
    std::optional<Directory> directory = ReadDirectory(file);

    Utf8Locale utf8;
    std::unique_ptr<archive, ReadFree> reader(archive_read_new());
    std::unique_ptr<archive, WriteFree> disk(archive_write_disk_new());
    reader_ = reader.get();
    disk_ = disk.get();
    // The seekable reader trusts the central directory, as the format intends.
    archive_read_support_format_zip_seekable(reader_);
    int flags = ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS;
    // Without -o, nothing on disk is removed, not even a symbolic link in an entry's path:
    // libarchive then refuses to extract through it.
    flags |= options_.overwrite ? ARCHIVE_EXTRACT_UNLINK : ARCHIVE_EXTRACT_NO_OVERWRITE;
    archive_write_disk_set_options(disk_, flags);

    const std::string archiveName = Printable(path.native());
    // A download cut short loses the directory at the archive's end first.
    if (!directory) {
        err_ << kProgram << archiveName
             << ": it has no central directory: it is cut short, or not a ZIP archive\n";
        return kNotAllWritten;
    }
    Source source;
    if (!source.open(path)) {
        err_ << kProgram << archiveName << ": " << std::strerror(errno) << '\n';
        return kNotAllWritten;
    }
    source.repair(*directory);
    source.attach(reader_);
    if (archive_read_open1(reader_) != ARCHIVE_OK) {
        // libarchive does not take an archive without entries for a ZIP; it has nothing to
        // write, so all of it is written.
        if (directory->count == 0 && directory->entries.empty())
            return kAllWritten;
        err_ << kProgram << archiveName << ": " << ErrorOf(reader_) << '\n';
        return kNotAllWritten;
    }
    directory_ = std::move(*directory);
    for (std::size_t i = 0; i < directory_.entries.size(); ++i) {
        if (const auto& local = directory_.entries[i].local)
            listed_.emplace(local->dataStart, i);
    }

    for (;;) {
        archive_entry* in = nullptr;
        const int status = archive_read_next_header(reader_, &in);
        if (status == ARCHIVE_EOF)
            break;
        if (status == ARCHIVE_FATAL) {
            unreadable_ = ErrorOf(reader_);
            break;
        }
        entry(in, status);
        if (fatal_)
            break;
    }
    reportUnread(archiveName);
    // Folders get their times and permissions only now, after their files.
    if (archive_write_close(disk_) != ARCHIVE_OK) {
        err_ << kProgram << DiskErrorOf(disk_) << '\n';
        ++failures_;
    }
    return failures_ == 0 ? kAllWritten : kNotAllWritten;
}

const ListedEntry* Extraction::listedAt(la_int64_t start, bool dataRead) {
    if (start < 0)
        return nullptr;
    auto found = listed_.find(static_cast<std::uint64_t>(start));
    if (found == listed_.end() && dataRead) {
        found = listed_.upper_bound(static_cast<std::uint64_t>(start));
        found = found == listed_.begin() ? listed_.end() : std::prev(found);
    }
    if (found == listed_.end())
        return nullptr;
    const ListedEntry* entry = &directory_.entries[found->second];
    listed_.erase(found);
    return entry;
}

// Whatever the directory lists and libarchive never handed over is not written either: entries
// that share a local header are read once, and an archive may end in bytes of any kind.
void Extraction::reportUnread(const std::string& archiveName) {
    std::vector<std::size_t> unread;
    for (std::size_t i = 0; i < directory_.entries.size(); ++i) {
        if (!directory_.entries[i].local)
            unread.push_back(i);
    }
    // libarchive goes through the entries in the order of their data: the first one not read
    // is the one it could not read.
    const std::size_t none = directory_.entries.size();
    const std::size_t failed = unreadable_ && !listed_.empty() ? listed_.begin()->second : none;
    if (unreadable_ && failed == none) {
        err_ << kProgram << archiveName << ": " << *unreadable_ << '\n';
        ++failures_;
    }
    for (const auto& [start, i] : listed_)
        unread.push_back(i);
    std::sort(unread.begin(), unread.end());
    for (const std::size_t i : unread) {
        const ListedEntry& listed = directory_.entries[i];
        const auto name = EntryNameUtf8(listed.name, listed.flags & kUtf8Name, listed.host);
        refuse(Printable(name ? *name : listed.name),
               i == failed ? *unreadable_ : "the archive lists it but it was not read");
    }
    const std::uint64_t found = directory_.entries.size();
    if (directory_.count > found) {
        err_ << kProgram << archiveName << ": " << directory_.count - found << " of the "
             << directory_.count << " entries it lists are not in its central directory\n";
        ++failures_;
    }
}

void Extraction::refuse(std::string_view label, std::string_view why) {
    err_ << kProgram << label << ": not written: " << why << '\n';
    ++failures_;
}

bool Extraction::sharesEarlierData(la_int64_t start) const {
    auto next = dataRanges_.upper_bound(start);
    return next != dataRanges_.begin() && start < std::prev(next)->second;
}

void Extraction::entry(archive_entry* in, int headerStatus) {
    const la_int64_t start = archive_filter_bytes(reader_, 0);
    const auto type = archive_entry_filetype(in);
    const ListedEntry* listed = listedAt(start, type == AE_IFLNK);
    const char* raw = archive_entry_pathname(in);
    if (!listed)
        return refuse(Printable(raw ? raw : "an entry"),
                      "the archive's directory does not list it");
    const auto& local = *listed->local;
    const auto utf8 = EntryNameUtf8(local.name, local.flags & kUtf8Name, listed->host);
    const std::string label = Printable(utf8 ? *utf8 : local.name);
    if (stopped_)
        return refuse(label, *stopped_);
    if (headerStatus != ARCHIVE_OK)
        return refuse(label, ErrorOf(reader_));
    if (!utf8)
        return refuse(label, "its name cannot be read");
    const auto name = CheckedEntryName(*utf8);
    // bsdtar's archive of "." lists that folder itself as "./"; it is there already.
    if (!name && type == AE_IFDIR && IsFolderItself(*utf8))
        return;
    if (!name)
        return refuse(label, "its name leads outside the folder");
    if (type == AE_IFLNK || archive_entry_hardlink(in))
        return refuse(label, "it is a link, and links are not unpacked");
    if (type != AE_IFREG && type != AE_IFDIR)
        return refuse(label, "only plain files and folders are unpacked");
    if (type == AE_IFDIR && !options_.folders)
        return;

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
    // No size: libarchive would pad a file that a failed write cut short up to it, and under a
    // limit on file sizes that padding fails too and stops every entry after it.

    const int header = archive_write_header(disk_, out);
    if (header != ARCHIVE_OK) {
        const std::string problem = DiskErrorOf(disk_);
        fatal_ = header == ARCHIVE_FATAL;
        if (header == ARCHIVE_WARN && type == AE_IFREG) {
            archive_write_finish_entry(disk_);
            fs::remove(target, ec);
        }
        return refuse(label, problem);
    }
    if (type == AE_IFDIR) {
        if (archive_write_finish_entry(disk_) != ARCHIVE_OK)
            refuse(label, DiskErrorOf(disk_));
        return;
    }

    std::string problem;
    const bool complete = copyData(in, problem);
    if (complete)
        dataRanges_.emplace(start, archive_filter_bytes(reader_, 0));
    if (archive_write_finish_entry(disk_) != ARCHIVE_OK && problem.empty())
        problem = DiskErrorOf(disk_);
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
            problem = DiskErrorOf(disk_);
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
