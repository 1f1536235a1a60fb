// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/local.h"

namespace kestrix {

namespace {

// The tool name and its option, ending in one blank.
QString ToolText(LocalOp op) {
    switch (op) {
    case LocalOp::SlowRom:
        return QStringLiteral("ucon64 -l ");
    case LocalOp::Checksum:
        return QStringLiteral("ucon64 --chk ");
    case LocalOp::PalNtsc:
        return QStringLiteral("ucon64 -f ");
    case LocalOp::Convert:
        break;
    }
    return QStringLiteral("ucon64 -swc ");
}

} // namespace

bool SwitchesToProgramFolder(LocalOp op) {
    return op != LocalOp::Convert;
}

QString LocalCommandLine(LocalOp op, const QString& folder, const QString& name, QChar separator) {
    return ToolText(op) + QuotePath(JoinPath(folder, name, separator)) + QStringLiteral(" -o=") +
           QuotePath(folder);
}

QString CannotReadMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read \"%1\" (%2).").arg(path, reason);
}

} // namespace kestrix
