// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_name.h"

#include <algorithm>

namespace pkunzip {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

std::optional<std::string> CheckedEntryName(std::string_view raw) {
    std::string name(raw);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos)
        return std::nullopt;
    if (name.back() == '/')
        name.pop_back();

    std::string checked;
    std::string_view rest = name;
    for (;;) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "..")
            return std::nullopt;
        if (part != ".") {
            if (!checked.empty())
                checked += '/';
            checked += part;
        }
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    // Checked last, so that "./C:/x" is caught too.
    if (checked.empty() || (checked.size() >= 2 && IsAsciiLetter(checked[0]) && checked[1] == ':'))
        return std::nullopt;
    return checked;
}

std::string Printable(std::string_view name) {
    std::string shown(name);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            c = '?';
    }
    return shown;
}

} // namespace pkunzip
