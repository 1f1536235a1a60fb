// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/result.h"

#include <QFile>
#include <QString>
#include <optional>

namespace setup {

// The setup script's name in the installer's folder.
inline QString ScriptName() {
    return QStringLiteral("SETUP.INF");
}

// The next line of a setup script without its end: CR LF, a lone CR or a lone LF ends a line;
// bytes are Latin-1 (the system code page stands for that on this host), or UTF-8 when asked.
// Nothing past the end of the data or when it cannot be read.
std::optional<QString> ReadScriptLine(QIODevice& device, bool utf8 = false);

// The setup script, open from the header until the end of the installation run, which reads on
// where the header stopped.
class Script {
public:
    // Opens the script in the installer's folder, whatever the letter case of its name; a UTF-8
    // byte-order mark at its start makes it UTF-8.
    [[nodiscard]] Status Open(const QString& folder);
    // The next line; a failure when the script ends, or cannot be read, before the awaited line.
    [[nodiscard]] Result<QString> ReadLine(const QString& awaited);
    bool IsOpen() const { return file_.isOpen(); }
    void Close() { file_.close(); }
    // The script's path as reports show it.
    QString Name() const;

private:
    QFile file_;
    bool utf8_ = false;
};

enum class HeaderKey {
    None, // not a header line: ignored
    Name,
    Files,
    Copyright,
    Shortcut,
    ShortcutName,
    Dest,
    Orig,
    Info,
    Version,
    EndHeader,
};

struct HeaderLine {
    HeaderKey key = HeaderKey::None;
    QString value; // the rest of the line after the key and its blank, unchanged
};

// Which header key a line starts with; keys are matched case-sensitively in a fixed order and
// the first match wins.
HeaderLine ParseHeaderLine(const QString& line);

// What the script's header puts into the window, each key's last line winning; nothing where
// the header leaves a control with the caption it starts with.
struct Header {
    std::optional<QString> caption = {};        // the window's: "NAME " and " Installer"
    std::optional<QString> name = {};           // Label2: "NAME "
    std::optional<QString> copyright = {};      // Label3: "Copyright " and "COPYRIGHT "
    std::optional<QString> version = {};        // Label4: "Version " and "VERSION "
    std::optional<QString> destination = {};    // Text2: the program-files root and "DEST "
    std::optional<QString> source = {};         // Text3: "ORIG "
    std::optional<QString> shortcutName = {};   // Text4: "SHORTCUTNAME "
    std::optional<QString> shortcutTarget = {}; // Text5: "SHORTCUT ", which shows and ticks Check1
    std::optional<int> files = {};              // ProgressBar1's maximum: "FILES "
    QString info = {};                          // added to Text1: each "INFO " line's text in turn

    bool operator==(const Header&) const = default;
};

// Reads the header up to and including its line "ENDHEADER".
[[nodiscard]] Result<Header> ReadHeader(Script& script, const QString& programFilesRoot);

} // namespace setup
