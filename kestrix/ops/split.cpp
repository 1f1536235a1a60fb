// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/split.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace kestrix {

bool IsFloppyDestination(const QString& destination) {
    return destination.startsWith(QLatin1String("A:"), Qt::CaseSensitive);
}

double SizeValue(const QString& answer) {
    QString text = answer;
    text.remove(QRegularExpression(QStringLiteral("[ \\t\\n]")));
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    QString found = match.captured();
    found.replace(u'd', u'e').replace(u'D', u'e');
    return found.toDouble();
}

QString SizeOption(const QString& answer) {
    QString size = answer;
    return size.remove(u' ');
}

QString SplitToolLine(const QString& size, const QString& folder, const QString& name,
                      const QString& outputFolder, QChar separator) {
    return QStringLiteral("ucon64 -s --ssize=") + size + u' ' +
           QuotePath(JoinPath(folder, name, separator)) + QStringLiteral(" -o=") +
           QuotePath(outputFolder);
}

FolderStamps StampFiles(const QString& folder, const QStringList& names) {
    FolderStamps stamps;
    const QDir dir(folder);
    for (const QString& name : names) {
        const QFileInfo info(dir.filePath(name));
        stamps.insert(name, {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    return stamps;
}

QStringList WrittenFiles(const FolderStamps& before, const FolderStamps& after) {
    QStringList written;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const auto old = before.constFind(it.key());
        if (old == before.cend() || *old != it.value())
            written.append(it.key());
    }
    std::sort(written.begin(), written.end(), PartNumberLess);
    return written;
}

bool PartNumberLess(const QString& a, const QString& b) {
    const qsizetype dotA = a.lastIndexOf(u'.');
    const qsizetype dotB = b.lastIndexOf(u'.');
    if (dotA >= 0 && dotB >= 0 && QStringView(a).left(dotA) == QStringView(b).left(dotB)) {
        bool numberA = false;
        bool numberB = false;
        const qulonglong na = QStringView(a).mid(dotA + 1).toULongLong(&numberA);
        const qulonglong nb = QStringView(b).mid(dotB + 1).toULongLong(&numberB);
        if (numberA && numberB && na != nb)
            return na < nb;
    }
    return a < b;
}

QString NoPartsMessage() {
    return QStringLiteral("No parts were written. Read ucon64's output for the reason (a part size "
                          "below 4 Mbit, or an image smaller than one part, is not split).");
}

QString DiskCopyFailedMessage(const QString& part, const QString& target, const QString& reason) {
    return QStringLiteral("Could not copy %1 to \"%2\" (%3). Insert a formatted disk with room "
                          "for it that is not write-protected and click Retry.")
        .arg(part, target, reason);
}

QString DiskCopyStoppedMessage(const QStringList& remaining, const QString& stagingFolder) {
    return QStringLiteral("Stopped. Not copied to disk: %1. They are in \"%2\".")
        .arg(remaining.join(QStringLiteral(", ")), stagingFolder);
}

} // namespace kestrix
