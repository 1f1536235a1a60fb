// SPDX-License-Identifier: GPL-3.0-or-later
// pkunzip against Debian's unzip on the same archives, run by turns in each iteration so both
// see the same machine load. The "ratio" counter is our time over unzip's.
#include "paired.h"

#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path folder; // holds the archives and the output folder
std::string unzipProgram;

// Text-like data that deflates about as well as an installer's files do.
std::string Text(std::size_t size, unsigned seed) {
    static const char* const words[] = {"setup ", "copier ", "floppy ", "image ", "header ",
                                        "\n",     "0x1f ",   "data ",   "ROM ",   "parallel "};
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        seed = seed * 1103515245 + 12345;
        text += words[(seed >> 16) % 10];
    }
    text.resize(size);
    return text;
}

void WriteArchive(const fs::path& path,
                  const std::vector<std::pair<std::string, std::string>>& files) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK)
        std::abort();
    archive_entry* entry = archive_entry_new();
    for (const auto& [name, data] : files) {
        archive_entry_clear(entry);
        archive_entry_copy_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
        if (archive_write_header(a, entry) != ARCHIVE_OK)
            std::abort();
        archive_write_data(a, data.data(), data.size());
    }
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
}

void MakeArchives() {
    std::string pattern = (fs::temp_directory_path() / "unzip-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    folder = pattern;

    std::vector<std::pair<std::string, std::string>> small;
    for (unsigned i = 0; i < 2000; ++i)
        small.emplace_back("dir" + std::to_string(i % 20) + "/file" + std::to_string(i) + ".txt",
                           Text(1000 + i % 7 * 500, i));
    WriteArchive(folder / "small.zip", small);
    WriteArchive(folder / "large.zip", {{"large.bin", Text(50'000'000, 7)}});
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return {};
}

// Seconds that the program took to unpack into a fresh, empty output folder.
double TimeRun(std::vector<std::string> argv) {
    const fs::path out = folder / "out";
    fs::remove_all(out);
    fs::create_directory(out);
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, out.c_str());

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::abort();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    return took.count();
}

void BM_Unpack(benchmark::State& state, const char* archiveName) {
    if (unzipProgram.empty()) {
        state.SkipWithError("unzip is not installed: no baseline to compare with");
        return;
    }
    const std::string archive = (folder / archiveName).string();
    TimePaired(
        state, "unzip",
        [&] {
            return TimeRun({PKUNZIP_PATH, "-d", "-o", archive});
        },
        [&] {
            return TimeRun({unzipProgram, "-o", "-qq", archive});
        });
}
BENCHMARK_CAPTURE(BM_Unpack, small_files_2000, "small.zip")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Unpack, one_file_50MB, "large.zip")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    const int status = RunChosen(argc, argv, [] {
        unzipProgram = FindOnPath("unzip");
        if (unzipProgram.empty())
            std::fprintf(stderr, "unzip is not installed: the comparisons are skipped\n");
        else
            MakeArchives();
    });
    if (!folder.empty())
        fs::remove_all(folder);
    return status;
}
