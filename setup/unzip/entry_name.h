// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pkunzip {

// The name an archive entry may be written under, relative to the working folder, or nothing
// when the name could reach outside it. "\" separates folders as "/" does; "." components are
// dropped and a folder's trailing "/" is cut, so the result has no empty component.
std::optional<std::string> CheckedEntryName(std::string_view raw);

// Whether the name stands for the folder it is unpacked in: "." parts only, such as "./".
bool IsFolderItself(std::string_view name);

// An entry's raw name as UTF-8: names flagged as UTF-8, and names made on Unix that are valid
// UTF-8, are taken as they are; any other name is CP437, as DOS and Windows archivers write it.
// Nothing when the name is not valid in its encoding.
std::optional<std::string> EntryNameUtf8(std::string_view raw, bool utf8Flag, unsigned host);

// The name for messages: control characters from a hostile archive must not reach a terminal.
std::string Printable(std::string_view name);

} // namespace pkunzip
