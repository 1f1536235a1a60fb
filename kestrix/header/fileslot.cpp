// SPDX-License-Identifier: GPL-3.0-or-later
#include "header/fileslot.h"

namespace kestrix {

QByteArray FileSlot::ReadStart(const QString& path, qsizetype count) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file_.read(count);
    file_.close();
    return bytes;
}

} // namespace kestrix
