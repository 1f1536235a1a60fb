// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>
#include <optional>

class QIODevice;

namespace setup {

// The setup script's name in the installer's folder.
inline QString ScriptName() {
    return QStringLiteral("SETUP.INF");
}

// The entry of that name and kind in the folder, its letter case ignored as on the installer's
// home system (an exact match wins); the plain path when there is none.
QString FindNoCase(const QString& folder, const QString& name,
                   QDir::Filters filters = QDir::AllEntries);

// Reads a setup script line by line: CR LF or a lone CR ends a line, a lone LF belongs to the
// line, bytes are Latin-1 (the system code page stands for that on this host).
class ScriptReader {
public:
    explicit ScriptReader(QIODevice& device) : device_(device) {}

    // The next line without its end; nothing when the script has no more lines (reading past
    // its end) or cannot be read.
    std::optional<QString> ReadLine();

private:
    QIODevice& device_;
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

// The destination box's text for a "DEST " value, below the host's program-files root (which
// ends in its separator).
QString DestinationText(const QString& programFilesRoot, const QString& value);

// What a "INFO " line adds to the information box.
QString InfoText(const QString& value);

} // namespace setup
