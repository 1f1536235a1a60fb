// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the unzip program: records its working folder and argv in
// "pkunzip-ran.txt" there, one per line. While PKUNZIP_STANDIN_WAIT names a file that exists it
// waits (saying so with "pkunzip-waiting"), then "unpacks" the file PKUNZIP_STANDIN_UNPACK
// names, so tests can hold it running.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char* argv[]) {
    namespace fs = std::filesystem;
    if (const char* hold = std::getenv("PKUNZIP_STANDIN_WAIT")) {
        std::ofstream("pkunzip-waiting").put('1');
        while (fs::exists(hold))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (const char* unpack = std::getenv("PKUNZIP_STANDIN_UNPACK"))
        std::ofstream(unpack, std::ios::binary) << "unpacked";
    // A test may have ended and removed its folder while we were held.
    std::error_code gone;
    const fs::path cwd = fs::current_path(gone);
    if (gone)
        return 1;
    {
        std::ofstream out("pkunzip-ran.tmp", std::ios::binary);
        out << cwd.string() << '\n';
        for (int i = 0; i < argc; ++i)
            out << argv[i] << '\n';
    }
    // Renamed whole, so a test never reads half a record.
    fs::rename("pkunzip-ran.tmp", "pkunzip-ran.txt", gone);
    return gone ? 1 : 0;
}
