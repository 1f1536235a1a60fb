// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileslot.h"

namespace kestrix {

Result<QByteArray> FileSlot::ReadStart(const QString& path, qsizetype count) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly))
        return Failure{CannotReadMessage(path, file_.errorString())};
    const QByteArray bytes = file_.read(count);
    const bool failed = file_.error() != QFileDevice::NoError;
    const QString reason = file_.errorString();
    file_.close();
    if (failed)
        return Failure{CannotReadMessage(path, reason)};
    return bytes;
}

QString CannotReadMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read \"%1\" (%2).").arg(path, reason);
}

} // namespace kestrix
