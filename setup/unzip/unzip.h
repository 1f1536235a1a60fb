// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string_view>

namespace pkunzip {

// Exit statuses.
inline constexpr int kAllWritten = 0;
inline constexpr int kNotAllWritten = 1;
inline constexpr int kUsage = 2;

// An archive is stopped once its output passes both ratio times its own size and floorBytes,
// so a small archive may still hold a large file but no bomb fills the disk.
struct Limits {
    std::uint64_t ratio = 100;
    std::uint64_t floorBytes = std::uint64_t{1} << 30;
};

struct Options {
    std::filesystem::path archive;
    bool folders = false;   // -d: re-create the entries' folders
    bool overwrite = false; // -o: replace existing files without asking
    Limits limits;
};

// Options from the command line (without the program name); nothing on a usage error.
std::optional<Options> ParseArguments(std::span<const std::string_view> args);

void PrintUsage(std::ostream& err);

// The archive under the given name, its letter case aside; an exact match wins. Nothing when
// no file matches, or several match that differ only in letter case.
std::optional<std::filesystem::path> FindArchive(const std::filesystem::path& given,
                                                 std::ostream& err);

// Unpacks into the current working folder; returns the exit status, messages go to err.
int Unzip(const Options& options, std::ostream& err);

} // namespace pkunzip
