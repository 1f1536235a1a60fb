// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_name.h"

#include <algorithm>
#include <iconv.h>

namespace pkunzip {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::optional<std::string> ToUtf8(std::string_view bytes, const char* charset) {
    const iconv_t converter = iconv_open("UTF-8", charset);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in(bytes), out(bytes.size() * 3, '\0'); // CP437 needs at most 3 bytes a character
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    const bool valid = iconv(converter, &from, &fromLeft, &to, &toLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    if (!valid)
        return std::nullopt;
    out.resize(out.size() - toLeft);
    return out;
}

} // namespace

std::optional<std::string> EntryNameUtf8(std::string_view raw, bool utf8Flag, unsigned host) {
    constexpr unsigned kUnix = 3;
    if (utf8Flag || host == kUnix) {
        auto utf8 = ToUtf8(raw, "UTF-8");
        if (utf8 || utf8Flag)
            return utf8;
    }
    return ToUtf8(raw, "CP437");
}

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

bool IsFolderItself(std::string_view name) {
    bool dot = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '.' && (i == 0 || name[i - 1] == '/' || name[i - 1] == '\\'))
            dot = true;
        else if ((name[i] != '/' && name[i] != '\\') || i == 0)
            return false;
    }
    return dot;
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
