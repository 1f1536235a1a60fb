// SPDX-License-Identifier: GPL-3.0-or-later
// pkunzip [-d] [-o] ARCHIVE: the installer's unpacker.
#include "unzip.h"

#include <csignal>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[]) {
    // A file-size limit then fails the entry with its reason instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto options = pkunzip::ParseArguments(args);
    if (!options) {
        pkunzip::PrintUsage(std::cerr);
        return pkunzip::kUsage;
    }
    try {
        return pkunzip::Unzip(*options, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "pkunzip: " << e.what() << '\n';
        return pkunzip::kNotAllWritten;
    }
}
