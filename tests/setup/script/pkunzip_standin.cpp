// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the unzip program: records its working folder and argv in
// "pkunzip-ran.txt" there, one per line, and waits as long as PKUNZIP_STANDIN_WAIT names a
// file that exists, so tests can hold it running.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char* argv[]) {
    namespace fs = std::filesystem;
    if (const char* hold = std::getenv("PKUNZIP_STANDIN_WAIT"))
        while (fs::exists(hold))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
