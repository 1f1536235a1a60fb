// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace kestrix {

bool ProbeDisk(const QString& probePath) {
    QFile probe(probePath);
    if (probe.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
        probe.close();
        return probe.remove();
    }
    if (!QFileInfo::exists(probePath))
        return false;
    QTemporaryFile other(QFileInfo(probePath).path() + QStringLiteral("/test.XXXXXX"));
    return other.open();
}

QString CopyReplacing(const QString& from, const QString& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return in.errorString();
        }
        if (out.write(chunk) != chunk.size())
            break; // commit reports it
    }
    if (!out.commit())
        return out.errorString();
    return {};
}

QStringList RemoveFiles(const QStringList& paths) {
    QStringList left;
    for (const QString& path : paths)
        if (!QFile::remove(path) && QFileInfo::exists(path))
            left.append(path);
    return left;
}

} // namespace kestrix
