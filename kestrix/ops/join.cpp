// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/join.h"

#include <QDir>
#include <algorithm>

namespace kestrix {

bool IsFirstPart(const QString& name) {
    return name.endsWith(QLatin1String(".1"), Qt::CaseSensitive);
}

QString PartBase(const QString& firstPart) {
    return firstPart.chopped(2);
}

QString PartName(const QString& base, int number) {
    return base + u'.' + QString::number(number);
}

QString JoinToolLine(const QString& folder, const QString& name, QChar separator) {
    return QStringLiteral("ucon64 -j --snes ") + QuotePath(JoinPath(folder, name, separator));
}

bool IsJoinWorkName(const QString& name, const QString& base, bool gathering) {
    if (name == base + QStringLiteral(".tmp"))
        return true;
    if (!gathering || !name.startsWith(base + u'.'))
        return false;
    const QStringView number = QStringView(name).mid(base.size() + 1);
    return !number.isEmpty() && number.front() != u'0' &&
           std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

QString TakenWorkName(const QString& programFolder, const QString& base, bool gathering) {
    const QDir dir(programFolder);
    const QStringList names = dir.entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names)
        if (IsJoinWorkName(name, base, gathering))
            return dir.filePath(name);
    return {};
}

QString NotFirstPartMessage() {
    return QStringLiteral("It seems that either the selected file is not a properly split file "
                          "or you didn't select a '.1' file.");
}

QString WorkNameTakenMessage(const QString& path) {
    return QStringLiteral("\"%1\" is in the way: joining works with a file of that name in the "
                          "program folder. Move it elsewhere and try again.")
        .arg(path);
}

QString OutputIsWorkFileMessage(const QString& path) {
    return QStringLiteral("\"%1\" is a working file of the join and is deleted afterwards. "
                          "Choose another output path.")
        .arg(path);
}

QString PartMissingMessage(const QString& part) {
    return QStringLiteral("%1 is not on the disk in drive A:. Insert the disk that holds it and "
                          "click Retry, or click Cancel to stop joining.")
        .arg(part);
}

QString NoJoinedFileMessage(const QString& tmpName) {
    return QStringLiteral("ucon64 wrote no joined file (%1). Read its output for the reason.")
        .arg(tmpName);
}

QString OutputCopyFailedMessage(const QString& output, const QString& reason,
                                const QString& keptTmp) {
    return QStringLiteral("Could not copy the joined file to \"%1\" (%2). It was kept as \"%3\".")
        .arg(output, reason, keptTmp);
}

QString NotRemovedMessage(const QStringList& paths) {
    return QStringLiteral("Could not remove from the program folder: %1")
        .arg(paths.join(QStringLiteral(", ")));
}

} // namespace kestrix
