// SPDX-License-Identifier: GPL-3.0-or-later
#include "header/fileslot.h"

namespace kestrix {

std::optional<QByteArray> FileSlot::ReadStart(const QString& path, qsizetype count) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = file_.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file_.read(count);
    const bool failed = file_.error() != QFileDevice::NoError;
    error_ = failed ? file_.errorString() : QString();
    file_.close();
    if (failed)
        return std::nullopt;
    return bytes;
}

} // namespace kestrix
