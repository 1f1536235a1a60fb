// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for ucon64. It appends what it was given to the file STANDIN_LOG names ("run",
// "cwd<TAB>folder", "arg<TAB>argument" each) and treats files as the real tool does: output into
// the -o folder (else the working folder), a NAME.bak of a file it replaces (renamed, as the real
// tool does), a folder as the file meaning every file in it, "ERROR:" lines on standard error,
// status 0 after most failures, stdio's own buffering (whole at the end on a pipe, a line at a
// time on a terminal) and a note on its first run in UCON64_HOME. STANDIN_ROOM=N leaves room for
// N bytes of output, so later writes come out short and still say "Wrote", as on a full disk;
// STANDIN_STALL=N stops writing there too, then waits for "q" as a slow run would be stopped.
// STANDIN_WAIT=q waits for "q" on its input, as the real tool polls it while it waits for the
// copier, and =deaf waits until it is ended. STANDIN_COPIER=silent: the copier sends nothing;
// =abort: the user stops the transfer (status 2).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t HeaderSize = 512, UnitBytes = 8192, MbitBytes = 131072;
std::map<std::string, std::string> options; // name without dashes -> value
std::error_code ec;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void note(const std::string& line) {
    if (!env("STANDIN_LOG").empty())
        std::ofstream(env("STANDIN_LOG"), std::ios::app | std::ios::binary) << line << '\n';
}

fs::path withSuffix(fs::path file, const std::string& suffix) {
    return file.replace_extension(suffix);
}

fs::path outputFolder() {
    return options.count("o") ? fs::path(options["o"]) : fs::current_path();
}

// Waits for "q" on the input, as the tool does while it waits for the copier.
int waitForQ() {
    for (int c; (c = std::getchar()) != EOF;)
        if (c == 'q') {
            std::cout << "\nProgram aborted\n";
            return 2;
        }
    return 0;
}

void writeOutput(const fs::path& target, const std::string& bytes, bool backup = true) {
    const auto limit = [](const char* name) {
        return env(name).empty() ? 1LL << 62 : std::atoll(env(name).c_str());
    };
    static long long room = std::min(limit("STANDIN_ROOM"), limit("STANDIN_STALL"));
    if (backup && fs::exists(target, ec)) {
        fs::rename(target, withSuffix(target, ".bak"), ec);
        std::cout << "Wrote backup to " << withSuffix(target, ".bak").string() << '\n';
    }
    const auto fits = static_cast<std::size_t>(std::min<long long>(room, bytes.size()));
    room -= static_cast<long long>(fits);
    std::ofstream(target, std::ios::binary | std::ios::trunc).write(bytes.data(), fits);
    if (fits < bytes.size() && !env("STANDIN_STALL").empty())
        std::exit(waitForQ());
    std::cout << "Wrote output to " << target.string() << '\n';
}

bool readFile(const fs::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        std::cerr << "ERROR: Can't open \"" << file.string() << "\" for reading\n";
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<bool>(in);
}

void setHeader(std::string& bytes, std::size_t bodyBytes, bool followed) {
    bytes[0] = static_cast<char>(bodyBytes / UnitBytes & 0xff);
    bytes[1] = static_cast<char>(bodyBytes / UnitBytes >> 8 & 0xff);
    bytes[2] = static_cast<char>(followed ? bytes[2] | 0x40 : bytes[2] & ~0x40);
}

// The fixes leave the bytes as they are; the conversion puts a fresh copier header first.
void fixOrConvert(const fs::path& file, bool convert) {
    std::string bytes;
    if (!readFile(file, bytes))
        return;
    if (!convert)
        return writeOutput(outputFolder() / file.filename(), bytes);
    if (bytes.size() % 1024 == HeaderSize)
        bytes.erase(0, HeaderSize);
    std::string header(HeaderSize, '\0');
    header.replace(8, 3, "\xaa\xbb\x04");
    setHeader(header, bytes.size(), false);
    writeOutput(outputFolder() / withSuffix(file.filename(), ".swc"), header + bytes);
}

// Whole-Mbit parts (at least 4, at most 9), bit 6 set on all but the last.
void split(const fs::path& file) {
    std::string bytes;
    const long mbit = std::atol(options["ssize"].c_str());
    if (!readFile(file, bytes))
        return;
    const std::string body = bytes.substr(HeaderSize);
    const std::size_t part = static_cast<std::size_t>(mbit) * MbitBytes;
    const std::size_t count = part ? (body.size() + part - 1) / part : 0;
    if (mbit < 4 || body.size() <= part || count > 9) {
        std::cerr << "ERROR: ROM size is smaller than or equal to " << mbit
                  << " Mbit -- will not be split\n";
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::string header = bytes.substr(0, HeaderSize);
        setHeader(header, body.substr(i * part, part).size(), i + 1 < count);
        writeOutput(outputFolder() / withSuffix(file.filename(), "." + std::to_string(i + 1)),
                    header + body.substr(i * part, part), false);
    }
}

// From the named part on until a part is missing; parts without a header are strung together.
void join(const fs::path& named) {
    std::string first, joined, part;
    if (!readFile(named, first))
        return;
    const std::size_t header = first.size() % 1024 == HeaderSize ? HeaderSize : 0;
    long number = std::atol(named.extension().string().c_str() + 1);
    for (fs::path next = named; fs::exists(next, ec);
         next = withSuffix(named, "." + std::to_string(++number))) {
        readFile(next, part);
        joined += part.substr(joined.empty() ? 0 : header);
        std::cout << "Joined " << next.string() << '\n';
    }
    if (header)
        setHeader(joined, joined.size() - HeaderSize, false);
    writeOutput(outputFolder() / withSuffix(named.filename(), ".tmp"), joined);
}

// Sends a file that exists, else receives into it: first the 512-byte header the real tool
// writes before it talks to the copier, then the copier's data.
int transfer(const fs::path& file) {
    std::string bytes;
    if (fs::exists(file, ec)) {
        readFile(file, bytes);
        return 0;
    }
    std::ofstream out(file, std::ios::binary);
    out << std::string(HeaderSize, '\0') << std::flush;
    if (env("STANDIN_COPIER") == "abort") {
        std::cout << "Program aborted\n";
        return 2;
    }
    if (env("STANDIN_COPIER") != "silent")
        out << "copier data" << std::string(501, '.');
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::cerr.tie(nullptr); // as C's stderr, which flushes no output before it
    note("run\ncwd\t" + fs::current_path(ec).string());
    for (int i = 1; i < argc; ++i)
        note(std::string("arg\t") + argv[i]);
    if (const std::string home = env("UCON64_HOME");
        !home.empty() && !fs::exists(home + "/.ucon64rc", ec)) {
        std::ofstream(home + "/.ucon64rc") << "backups=1\n";
        std::cerr << "NOTE: " << home << "/.ucon64rc not found: creating...OK\n";
    }
    if (!env("STANDIN_WAIT").empty()) {
        std::cout << "Waiting for the copier\n";
        std::cerr << "press q to stop\n";
        if (env("STANDIN_WAIT") == "q")
            return waitForQ();
        for (;;)
            pause();
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-') {
            if (!fs::is_directory(arg, ec))
                files.push_back(arg);
            for (const auto& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file(ec))
                    files.push_back(entry.path());
            continue;
        }
        std::string name = arg.substr(arg[1] == '-' ? 2 : 1), value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (name == "o" && i + 1 < argc) {
            value = argv[++i];
        }
        static const std::string known = " o ssize port xswc-io s j snes l chk f swc xswc xswc2 "
                                         "xswcs xswcc xswcr ";
        if (known.find(' ' + name + ' ') == std::string::npos) {
            std::cerr << "ERROR: unknown option " << arg << '\n';
            return 1;
        }
        options[name] = value;
    }
    const auto has = [](const char* name) { return options.count(name) > 0; };
    for (const fs::path& file : files) {
        if (has("l") || has("chk") || has("f") || has("swc"))
            fixOrConvert(file, has("swc"));
        else if (has("s"))
            split(file);
        else if (has("j"))
            join(file);
        else if (has("xswc") || has("xswc2") || has("xswcs") || has("xswcc") || has("xswcr"))
            return transfer(file);
    }
    if (files.empty())
        std::cerr << "ERROR: no file given\n";
    return 0;
}
