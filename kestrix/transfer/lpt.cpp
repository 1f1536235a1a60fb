// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/lpt.h"

#include <QFile>
#include <QFileInfo>

namespace kestrix {

namespace {

QString ToolOption(Transfer kind, bool realTimeSave) {
    switch (kind) {
    case Transfer::Rom:
        return realTimeSave ? QStringLiteral("--xswc2") : QStringLiteral("--xswc");
    case Transfer::Sram:
        return QStringLiteral("--xswcs");
    case Transfer::CartSram:
        return QStringLiteral("--xswcc");
    case Transfer::Rts:
        break;
    }
    return QStringLiteral("--xswcr");
}

} // namespace

bool Occupied(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString IOModeOption(int index) {
    static const char* const modes[] = {"001", "002", "004", "008", "010",
                                        "020", "040", "080", "100", "044"};
    if (index < 0 || index >= static_cast<int>(std::size(modes)))
        return {};
    return QStringLiteral(" --xswc-io=0x") + QLatin1StringView(modes[index]);
}

QString SendCommandLine(Transfer kind, bool realTimeSave, const QString& folder,
                        const QString& name, const QString& port, QChar separator) {
    return QStringLiteral("ucon64 ") + ToolOption(kind, realTimeSave) + u' ' +
           QuotePath(JoinPath(folder, name, separator)) + QStringLiteral(" --port=") + port;
}

QString ReceiveCommandLine(Transfer kind, const QString& destination, const QString& port,
                           int ioModeIndex) {
    const bool takesMode = kind == Transfer::Rom || kind == Transfer::CartSram;
    return QStringLiteral("ucon64 ") + ToolOption(kind, false) + u' ' + QuotePath(destination) +
           QStringLiteral(" --port=") + port + (takesMode ? IOModeOption(ioModeIndex) : QString());
}

QString DestinationPrompt(Transfer kind) {
    const char* example = kind == Transfer::Rom        ? "ROMDUMP.SWC"
                          : kind == Transfer::Sram     ? "SRAMDUMP.SRM"
                          : kind == Transfer::CartSram ? "CARTSRAM.SRM"
                                                       : "RTSDATA.RTS";
    return QStringLiteral("Please enter destination directory and filename (eg. C:\\YourDir\\%1). "
                          "This file must NOT exist!")
        .arg(QLatin1StringView(example));
}

std::optional<MovedAside> MoveAside(const QString& path, QString* error) {
    MovedAside aside{path, path + QStringLiteral(".old")};
    for (int n = 2; Occupied(aside.backup); ++n)
        aside.backup = path + QStringLiteral(".old") + QString::number(n);
    QFile file(path);
    if (!file.rename(aside.backup)) {
        *error = QStringLiteral("Cannot move \"%1\" out of the way (%2). Nothing was received.")
                     .arg(path, file.errorString());
        return std::nullopt;
    }
    return aside;
}

QString PutBack(const MovedAside& aside) {
    if (Occupied(aside.path)) {
        if (QFile::remove(aside.backup))
            return {};
        return QStringLiteral("The old file is still kept as \"%1\"; it could not be deleted.")
            .arg(aside.backup);
    }
    QFile backup(aside.backup);
    if (backup.rename(aside.path))
        return {};
    return QStringLiteral("Nothing was received, and the old file could not be put back (%1): it "
                          "is kept as \"%2\".")
        .arg(backup.errorString(), aside.backup);
}

} // namespace kestrix
