// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/local.h"

#include "core/files.h"
#include "core/header.h"

#include <QDir>

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

bool SwitchesToWorkFolder(LocalOp op) {
    return op != LocalOp::Convert;
}

QString LocalCommandLine(LocalOp op, const QString& folder, const QString& name, QChar separator) {
    return ToolText(op) + QuotePath(JoinPath(folder, name, separator)) + QStringLiteral(" -o=") +
           QuotePath(folder);
}

void LocalOperation(const Operation& op, LocalOp kind, FileSlot& slot1, const QString& folder,
                    const QString& name) {
    const QString path = JoinPath(folder, name);
    if (name.isEmpty()) {
        op.prompter.message(CannotReadMessage(path, QStringLiteral("no file is selected")));
        return;
    }
    const Result<QByteArray> bytes = slot1.ReadStart(path, HeaderBytes);
    if (!bytes) {
        op.prompter.message(bytes.error());
        return;
    }
    if (kind == LocalOp::Convert && CarriesHeaderId(*bytes)) {
        op.prompter.message(QStringLiteral("ROM is already in SWC format!"),
                            QStringLiteral("Note"));
        return;
    }
    // The slot is closed again by now, so the re-selection after the run can read the header.
    if (const Status entered =
            SwitchesToWorkFolder(kind) ? EnterFolder(op.platform.workFolder) : Status();
        !entered) {
        op.prompter.message(entered.error());
        return;
    }
    op.run(LocalCommandLine(kind, folder, name));
}

} // namespace kestrix
