// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/script.h"

#include "core/files.h"
#include "core/number.h"

#include <QDir>

namespace setup {

std::optional<QString> ReadScriptLine(QIODevice& device, bool utf8) {
    QByteArray line;
    char c = 0;
    bool any = false;
    // Windows ends lines in CR LF; a Linux editor writes a lone LF, which must not make the
    // whole script one line.
    while (device.getChar(&c) && c != '\n') {
        any = true;
        if (c == '\r') {
            char next = 0;
            if (device.peek(&next, 1) == 1 && next == '\n')
                device.getChar(&next);
            break;
        }
        line.append(c);
    }
    // The last line may lack its end; past it there is nothing to read.
    if (!any && c != '\n')
        return std::nullopt;
    return utf8 ? QString::fromUtf8(line) : QString::fromLatin1(line);
}

Status Script::Open(const QString& folder) {
    file_.setFileName(FindNoCase(folder, ScriptName()));
    if (file_.open(QIODevice::ReadOnly)) {
        utf8_ = file_.peek(3) == "\xef\xbb\xbf";
        if (utf8_)
            file_.skip(3);
        return {};
    }
    if (!file_.exists())
        return Failure{QStringLiteral("The setup script \"%1\" was not found in %2.")
                           .arg(ScriptName(), QDir::toNativeSeparators(folder))};
    return Failure{QStringLiteral("The setup script \"%1\" could not be opened: %2")
                       .arg(Name(), file_.errorString())};
}

Result<QString> Script::ReadLine(const QString& awaited) {
    if (std::optional<QString> line = ReadScriptLine(file_, utf8_))
        return *line;
    if (file_.error() != QFileDevice::NoError)
        return Failure{QStringLiteral("The setup script \"%1\" could not be read: %2")
                           .arg(Name(), file_.errorString())};
    return Failure{QStringLiteral("The setup script \"%1\" ends before its line \"%2\".")
                       .arg(Name(), awaited)};
}

QString Script::Name() const {
    return QDir::toNativeSeparators(file_.fileName());
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

Result<Header> ReadHeader(Script& script, const QString& programFilesRoot) {
    Header header;
    for (;;) {
        const Result<QString> line = script.ReadLine(QStringLiteral("ENDHEADER"));
        if (!line)
            return Failure{line.error()};
        const auto& [key, value] = ParseHeaderLine(*line);
        switch (key) {
        case HeaderKey::Name:
            header.caption = value + QStringLiteral(" Installer");
            header.name = value;
            break;
        case HeaderKey::Files: {
            const Result<int> files = FilesMaximum(value);
            if (!files)
                return Failure{files.error()};
            header.files = *files;
            break;
        }
        case HeaderKey::Copyright:
            header.copyright = QStringLiteral("Copyright ") + value;
            break;
        case HeaderKey::Shortcut:
            header.shortcutTarget = value;
            break;
        case HeaderKey::ShortcutName:
            header.shortcutName = value;
            break;
        case HeaderKey::Dest:
            header.destination = programFilesRoot + value;
            break;
        case HeaderKey::Orig:
            header.source = value;
            break;
        case HeaderKey::Info:
            header.info +=
                value.isEmpty() ? QStringLiteral("\r\n\r\n") : value + QStringLiteral("\r\n");
            break;
        case HeaderKey::Version:
            header.version = QStringLiteral("Version ") + value;
            break;
        case HeaderKey::EndHeader:
            return header;
        case HeaderKey::None:
            break;
        }
    }
}

} // namespace setup
