// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for ucon64 in tests. It appends what it was given to the file named by STANDIN_LOG
// ("run", "cwd<TAB>folder", then "arg<TAB>argument" per argument) and treats files as the real
// tool does: output into the -o folder (else the working folder), keeping a NAME.bak of a file
// it changes in place, and a folder as the file argument meaning every file in it. Like the real
// tool it exits 0 on almost every failure. STANDIN_ROOM=N leaves room for N bytes of output, so
// later writes come out short, still "Wrote" and exit 0, as on a full disk.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Options {
    std::map<std::string, std::string> values; // option name without dashes -> value
    std::vector<std::string> files;
};

bool takesValue(const std::string& name) {
    return name == "o" || name == "ssize" || name == "port" || name == "xswc-io";
}

bool knownFlag(const std::string& name) {
    for (const char* known :
         {"s", "j", "snes", "l", "chk", "f", "swc", "xswc", "xswc2", "xswcs", "xswcc", "xswcr"})
        if (name == known)
            return true;
    return false;
}

void note(const std::string& line) {
    if (const char* log = std::getenv("STANDIN_LOG"))
        std::ofstream(log, std::ios::app | std::ios::binary) << line << '\n';
}

void record(int argc, char** argv) {
    std::error_code ec;
    note("run\ncwd\t" + fs::current_path(ec).string());
    for (int i = 1; i < argc; ++i)
        note(std::string("arg\t") + argv[i]);
}

// NAME.EXT -> NAME.suffix (the last suffix replaced).
fs::path withSuffix(const fs::path& file, const std::string& suffix) {
    fs::path out = file;
    out.replace_extension(suffix);
    return out;
}

fs::path outputFolder(const Options& options) {
    auto it = options.values.find("o");
    if (it != options.values.end()) {
        std::error_code ec;
        if (fs::is_directory(it->second, ec))
            return it->second;
        std::cerr << "WARNING: " << it->second << " is not a folder, using the working folder\n";
    }
    return fs::current_path();
}

// Writes as much of bytes as the room left takes.
void writeRoom(const fs::path& target, const std::string& bytes) {
    static long long room =
        std::getenv("STANDIN_ROOM") ? std::atoll(std::getenv("STANDIN_ROOM")) : (1LL << 62);
    const std::size_t fits = std::min<long long>(room, static_cast<long long>(bytes.size()));
    room -= static_cast<long long>(fits);
    std::ofstream(target, std::ios::binary | std::ios::trunc).write(bytes.data(), fits);
}

// Writes bytes to target, first keeping an existing target as NAME.bak (split parts excepted).
void writeOutput(const fs::path& target, const std::string& bytes, bool backup = true) {
    std::error_code ec;
    if (backup && fs::exists(target, ec)) {
        const fs::path kept = withSuffix(target, ".bak");
        fs::copy_file(target, kept, fs::copy_options::overwrite_existing, ec);
        std::cout << "Wrote backup to " << kept.string() << '\n';
    }
    writeRoom(target, bytes);
    std::cout << "Wrote output to " << target.string() << '\n';
}

bool readFile(const fs::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "ERROR: Can't open \"" << file.string() << "\" for reading\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

// The fixes change the image's bytes; the stand-in leaves them as they are.
void fix(const Options& options) {
    std::string bytes;
    if (options.files.empty() || !readFile(options.files.front(), bytes))
        return;
    const fs::path source = options.files.front();
    writeOutput(outputFolder(options) / source.filename(), bytes);
}

// A fresh 512-byte copier header (size in 8 KiB units, bytes 8 to 10 = AA BB 04) in place of any
// old one, as NAME.swc.
void convert(const Options& options) {
    std::string bytes;
    if (options.files.empty() || !readFile(options.files.front(), bytes))
        return;
    if (bytes.size() % 1024 == 512)
        bytes.erase(0, 512);
    std::string header(512, '\0');
    const std::size_t units = bytes.size() / 8192;
    header[0] = static_cast<char>(units & 0xff);
    header[1] = static_cast<char>((units >> 8) & 0xff);
    header[8] = static_cast<char>(0xaa);
    header[9] = static_cast<char>(0xbb);
    header[10] = 0x04;
    const fs::path source = options.files.front();
    writeOutput(outputFolder(options) / withSuffix(source.filename(), ".swc"), header + bytes);
}

// Sends the named file when it exists, else receives into it: first the 512-byte header the
// real tool writes before it talks to the copier, then 512 bytes of the copier's data. With
// STANDIN_COPIER=silent the copier sends nothing and the tool says nothing (exit 0); with =abort
// the user stops the transfer ("Program aborted", exit 2).
int transfer(const Options& options) {
    if (options.files.empty()) {
        std::cerr << "ERROR: no file given\n";
        return 0;
    }
    const fs::path file = options.files.front();
    std::error_code ec;
    if (fs::exists(file, ec)) {
        std::string bytes;
        if (readFile(file, bytes))
            note("did\tsend");
        return 0;
    }
    note("did\treceive");
    std::ofstream out(file, std::ios::binary);
    out << std::string(512, '\0') << std::flush;
    const std::string copier = std::getenv("STANDIN_COPIER") ? std::getenv("STANDIN_COPIER") : "";
    if (copier == "silent")
        return 0;
    if (copier == "abort") {
        std::cout << "Program aborted\n";
        return 2;
    }
    out << "copier data" << std::string(501, '.');
    return 0;
}

constexpr std::size_t HeaderSize = 512;
constexpr std::size_t UnitBytes = 8192; // the header counts the size in 8 KiB units
constexpr std::size_t MbitBytes = 131072;

void setHeader(std::string& header, std::size_t bodyBytes, bool morePartsFollow) {
    const std::size_t units = bodyBytes / UnitBytes;
    header[0] = static_cast<char>(units & 0xff);
    header[1] = static_cast<char>((units >> 8) & 0xff);
    header[2] = static_cast<char>(morePartsFollow ? header[2] | 0x40 : header[2] & ~0x40);
}

// Parts of whole Mbit (at least 4, at most 9 parts), each with the header carrying its own size
// and bit 6 set on all but the last. An image without a copier header becomes another copier's
// 8 Mbit parts and its MULTI-GD file, whatever size was asked for.
void split(const Options& options) {
    std::string bytes;
    if (options.files.empty() || !readFile(options.files.front(), bytes))
        return;
    const long mbit = std::atol(options.values.at("ssize").c_str());
    if (mbit < 4) {
        std::cerr << "ERROR: a part must be at least 4 Mbit\n";
        return;
    }
    const fs::path source = options.files.front();
    if (bytes.size() % 1024 != HeaderSize) {
        const std::string stem = source.stem().string().substr(0, 3);
        for (std::size_t i = 0; i * 8 * MbitBytes < bytes.size(); ++i)
            writeOutput(outputFolder(options) / ("SF" + std::to_string(bytes.size() / MbitBytes) +
                                                 stem + char('A' + i) + ".078"),
                        bytes.substr(i * 8 * MbitBytes, 8 * MbitBytes), false);
        writeOutput(outputFolder(options) / "MULTI-GD", "multi game doctor", false);
        return;
    }
    const std::string header = bytes.substr(0, HeaderSize);
    const std::string body = bytes.substr(HeaderSize);
    const std::size_t partBytes = static_cast<std::size_t>(mbit) * MbitBytes;
    if (body.size() <= partBytes) {
        std::cerr << "ERROR: ROM size is smaller than or equal to " << mbit
                  << " Mbit -- will not be split\n";
        return;
    }
    const std::size_t parts = (body.size() + partBytes - 1) / partBytes;
    if (parts > 9) {
        std::cerr << "ERROR: more than 9 parts\n";
        return;
    }
    for (std::size_t i = 0; i < parts; ++i) {
        const std::string piece = body.substr(i * partBytes, partBytes);
        std::string partHeader = header;
        setHeader(partHeader, piece.size(), i + 1 < parts);
        writeOutput(outputFolder(options) /
                        withSuffix(source.filename(), "." + std::to_string(i + 1)),
                    partHeader + piece, false);
    }
}

// From the named part on, the parts with the suffix counted up until one is missing; the first
// header with the whole size and bit 6 cleared. Parts without a copier header are just strung
// together.
void join(const Options& options) {
    std::string first;
    if (options.files.empty() || !readFile(options.files.front(), first))
        return;
    const fs::path named = options.files.front();
    const std::size_t header = first.size() % 1024 == HeaderSize ? HeaderSize : 0;
    std::string joined = first.substr(0, header);
    long number = std::atol(named.extension().string().c_str() + 1);
    std::error_code ec;
    for (fs::path next = named; fs::exists(next, ec);
         next = withSuffix(named, "." + std::to_string(++number))) {
        std::string part;
        if (readFile(next, part) && part.size() >= header)
            joined += part.substr(header);
        std::cout << "Joined " << next.string() << '\n';
    }
    if (header) {
        std::string head = joined.substr(0, HeaderSize);
        setHeader(head, joined.size() - HeaderSize, false);
        joined.replace(0, HeaderSize, head);
    }
    writeOutput(outputFolder(options) / withSuffix(named.filename(), ".tmp"), joined);
}

} // namespace

int main(int argc, char** argv) {
    record(argc, argv);
    // STANDIN_WAIT=q waits for "q" on its input, as the real tool polls it while it waits for
    // the copier; =deaf waits until it is ended.
    if (const char* wait = std::getenv("STANDIN_WAIT")) {
        std::cout << "Waiting for the copier" << std::endl;
        std::cerr << "press q to stop" << std::endl;
        for (int c; std::string(wait) == "q" && (c = std::getchar()) != EOF;)
            if (c == 'q') {
                std::cout << "\nProgram aborted" << std::endl;
                return 2;
            }
        for (;;)
            pause();
    }
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
            continue;
        }
        std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
        std::string value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (takesValue(name) && i + 1 < argc) {
            value = argv[++i];
        }
        if (!takesValue(name) && !knownFlag(name)) {
            std::cerr << "ERROR: unknown option " << arg << '\n';
            return 1;
        }
        options.values[name] = value;
    }

    // A folder means every file in it.
    std::vector<std::string> files;
    for (const std::string& file : options.files) {
        std::error_code ec;
        if (!fs::is_directory(file, ec)) {
            files.push_back(file);
            continue;
        }
        for (const auto& entry : fs::directory_iterator(file, ec))
            if (entry.is_regular_file(ec))
                files.push_back(entry.path().string());
    }
    const auto each = [&](void (*operation)(const Options&)) {
        for (const std::string& file : files) {
            Options one = options;
            one.files = {file};
            operation(one);
        }
    };

    if (options.values.count("l") || options.values.count("chk") || options.values.count("f"))
        each(fix);
    else if (options.values.count("swc"))
        each(convert);
    else if (options.values.count("s") && options.values.count("ssize"))
        split(options);
    else if (options.values.count("j"))
        join(options);
    else
        for (const char* option : {"xswc", "xswc2", "xswcs", "xswcc", "xswcr"})
            if (options.values.count(option))
                return transfer(options);
    return 0;
}
