// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/local.h"

#include "core/cmdline.h"
#include "core/files.h"
#include "core/header.h"

#include <QDir>

namespace kestrix {

using namespace Qt::StringLiterals;

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

// Only the three fixes move to the working folder first; the conversion leaves it alone.
bool SwitchesToWorkFolder(LocalOp op) {
    return op != LocalOp::Convert;
}

// Tool text, the quoted file path, " -o=" and the quoted folder: the tool writes its result
// beside the file. Both paths go through QuotePath, so blanks and a drive root survive.
QString LocalCommandLine(LocalOp op, const QString& folder, const QString& name) {
    return ToolText(op) + QuotePath(JoinPath(folder, name)) + QStringLiteral(" -o=") +
           QuotePath(folder);
}

// The sizes the conversion's output may have: a fresh 512-byte header and the image without the
// copier header the tool finds in it. The tool takes the header's length from the size field
// when that fits the file, else from the size past whole 32 KiB banks; only odd sizes leave it to
// the tool's checksum guess, so both are allowed there.
QList<qint64> ConvertedSizes(qint64 bytes, const QByteArray& start) {
    constexpr qint64 Header = 512;
    const auto byte = [&](int i) {
        return i < start.size() ? static_cast<unsigned char>(start[i]) : 0;
    };
    if (start.size() >= 2 && Header + 8192LL * (byte(0) | byte(1) << 8) == bytes)
        return {bytes};
    const qint64 surplus = bytes % 32768;
    if (surplus == 0)
        return {Header + bytes};
    if (surplus % Header == 0 && surplus < 15 * Header && bytes > surplus)
        return {Header + bytes - surplus};
    return {Header + bytes, bytes};
}

// Why a run's output is not what the user asked for; empty when it is.
QString OutputProblem(const RunResult& run, const QString& output, const QList<qint64>& sizes) {
    if (!run.ok())
        return run.reason();
    const QFileInfo info(output);
    if (!info.isFile())
        return QStringLiteral("ucon64 wrote no %1").arg(info.fileName());
    if (!sizes.contains(info.size()))
        return QStringLiteral("ucon64 wrote %1 with %2 of %3 bytes")
            .arg(info.fileName(), BytesText(info.size()), BytesText(sizes.first()));
    return {};
}

// After a run that did not deliver: the output goes and the noted original comes back from
// wherever the tool renamed it; what happened to it, for the message.
QString PutOriginalBack(const QString& output, const std::optional<FileId>& original,
                        const QString& folder) {
    const QString name = QFileInfo(output).fileName();
    if (original && IdOf(output) == original)
        return QStringLiteral("%1 is unchanged.").arg(name);
    const QString found = original ? FindFile(folder, *original) : QString();
    if (original && found.isEmpty())
        return QStringLiteral("Its original was not found, so %1 stays as ucon64 left it.")
            .arg(name);
    if (FileExists(output) && !RemoveFiles({output}).isEmpty())
        return NotRemovedMessage({output}) +
               (found.isEmpty() ? QString()
                                : QStringLiteral(" The original is kept as \"%1\".").arg(found));
    if (found.isEmpty())
        return QStringLiteral("The unfinished %1 was removed.").arg(name);
    if (!QFile::rename(found, output))
        return QStringLiteral("The original could not be put back: it is kept as \"%1\".")
            .arg(found);
    return QStringLiteral("The original %1 is back in place.").arg(name);
}

} // namespace

Status LocalOperation(const Operation& op, LocalOp kind, FileSlot& slot1, const QString& folder,
                      const QString& name) {
    Prompter& ask = op.prompter;
    const QString path = JoinPath(folder, name);
    if (name.isEmpty())
        return Failure{CannotReadMessage(path, QStringLiteral("no file is selected"))};
    const Result<QByteArray> bytes = slot1.ReadStart(path, HeaderBytes);
    if (!bytes)
        return Status::from(bytes);
    const bool convert = kind == LocalOp::Convert;
    if (convert && CarriesHeaderId(*bytes)) {
        ask.message(QStringLiteral("ROM is already in SWC format!"), QStringLiteral("Note"));
        return Cancelled{};
    }
    // The slot is closed again by now, so the re-selection after the run can read the header.
    if (const Status entered =
            SwitchesToWorkFolder(kind) ? EnterFolder(op.platform.workFolder) : Status();
        !entered)
        return entered;
    // The tool writes its result beside the file and keeps what was at that name as NAME.bak,
    // a rename that replaces an older NAME.bak.
    const QDir dir(folder);
    const QString output = dir.filePath(convert ? ToolName(name, u".swc"_s) : name);
    const QString backup = dir.filePath(ToolName(QFileInfo(output).fileName(), u".bak"_s));
    const std::optional<FileId> original = IdOf(output);
    std::optional<MovedAside> oldBackup;
    if (original && backup.compare(output, Qt::CaseInsensitive) != 0 && FileExists(backup)) {
        if (ask.message(QStringLiteral("%1 exists. Replace it with the current %2?")
                            .arg(QFileInfo(backup).fileName(), QFileInfo(output).fileName()),
                        {}, Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
            return Cancelled{};
        // Kept aside until the run has delivered, so a failed run loses nothing.
        const Result<MovedAside> moved = MoveAside(backup);
        if (!moved)
            return Status::from(moved);
        oldBackup = *moved;
    }
    const qint64 bytesIn = QFileInfo(path).size();
    const QList<qint64> sizes = convert ? ConvertedSizes(bytesIn, *bytes) : QList{bytesIn};
    const RunResult run = op.run(LocalCommandLine(kind, folder, name));
    // A tool that could not be started touched nothing.
    if (!run.ended()) {
        const Status back = oldBackup ? PutBack(*oldBackup) : Status();
        return Failure{run.reason() + (back ? QString() : u' ' + back.error())};
    }
    const QString problem = OutputProblem(run, output, sizes);
    if (problem.isEmpty())
        return oldBackup ? Discard(*oldBackup) : Status();
    QString outcome = PutOriginalBack(output, original, folder);
    if (oldBackup) {
        const Status back = PutBack(*oldBackup);
        outcome +=
            u' ' + (back ? QStringLiteral("%1 is back in place.").arg(QFileInfo(backup).fileName())
                         : back.error());
    }
    return Failure{QStringLiteral("\"%1\" was not %2: %3. %4")
                       .arg(output, convert ? u"written"_s : u"fixed"_s, problem, outcome)};
}

} // namespace kestrix
