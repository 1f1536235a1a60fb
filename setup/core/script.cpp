// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/script.h"

#include <QDir>
#include <QIODevice>

namespace setup {

QString FindNoCase(const QString& folder, const QString& name, QDir::Filters filters) {
    const QDir dir(folder);
    const QStringList entries = dir.entryList(filters | QDir::Hidden | QDir::System);
    if (entries.contains(name))
        return dir.filePath(name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return dir.filePath(name);
}

std::optional<QString> ScriptReader::ReadLine() {
    QByteArray line;
    char c = 0;
    bool any = false;
    while (device_.getChar(&c)) {
        any = true;
        if (c == '\r') {
            char next = 0;
            if (device_.peek(&next, 1) == 1 && next == '\n')
                device_.getChar(&next);
            return QString::fromLatin1(line);
        }
        line.append(c);
    }
    // The last line may lack its end; past it there is nothing to read.
    if (!any)
        return std::nullopt;
    return QString::fromLatin1(line);
}

namespace {

struct Key {
    const char16_t* text;
    HeaderKey key;
};

// In the order they are tried.
constexpr Key Keys[] = {
    {u"NAME ", HeaderKey::Name},
    {u"FILES ", HeaderKey::Files},
    {u"COPYRIGHT ", HeaderKey::Copyright},
    {u"SHORTCUT ", HeaderKey::Shortcut},
    {u"SHORTCUTNAME ", HeaderKey::ShortcutName},
    {u"DEST ", HeaderKey::Dest},
    {u"ORIG ", HeaderKey::Orig},
    {u"INFO ", HeaderKey::Info},
    {u"VERSION ", HeaderKey::Version},
};

} // namespace

HeaderLine ParseHeaderLine(const QString& line) {
    for (const Key& key : Keys) {
        const QString text = QString::fromUtf16(key.text);
        if (line.startsWith(text))
            return {key.key, line.mid(text.size())};
    }
    if (line == u"ENDHEADER")
        return {HeaderKey::EndHeader, {}};
    return {};
}

QString DestinationText(const QString& programFilesRoot, const QString& value) {
    return programFilesRoot + value;
}

QString InfoText(const QString& value) {
    return value.isEmpty() ? QStringLiteral("\r\n\r\n") : value + QStringLiteral("\r\n");
}

} // namespace setup
