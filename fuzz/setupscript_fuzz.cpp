// SPDX-License-Identifier: GPL-3.0-or-later
// The setup script's reader and header parser on any bytes: no fault, no CR left in a line,
// and every recognised line keeps its value unchanged after the key.
#include "core/number.h"
#include "core/script.h"

#include <QBuffer>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    qsizetype total = 0;
    while (const std::optional<QString> line = setup::ReadScriptLine(buffer)) {
        total += line->size();
        if (line->contains(u'\r') || total > bytes.size())
            std::abort();
        const setup::HeaderLine header = setup::ParseHeaderLine(*line);
        if (header.key == setup::HeaderKey::EndHeader && *line != u"ENDHEADER")
            std::abort();
        if (header.key != setup::HeaderKey::None && header.key != setup::HeaderKey::EndHeader &&
            (!line->endsWith(header.value) || line->size() - header.value.size() < 5 ||
             line->at(line->size() - header.value.size() - 1) != u' '))
            std::abort();
        if (std::isnan(setup::Val(*line)))
            std::abort();
        if (const setup::Result<int> max = setup::FilesMaximum(*line);
            !max && max.error().isEmpty())
            std::abort();
    }
    return 0;
}
