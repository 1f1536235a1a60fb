// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer.h"

#include "core/files.h"
#include "core/fileslot.h"

#include <QDir>
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

bool FileExists(const QString& path) {
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
    const QString path =
        destination.startsWith(u'-') ? QStringLiteral("./") + destination : destination;
    return QStringLiteral("ucon64 ") + ToolOption(kind, false) + u' ' + QuotePath(path) +
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

Result<MovedAside> MoveAside(const QString& path) {
    MovedAside aside{path, path + QStringLiteral(".old")};
    for (int n = 2; FileExists(aside.backup); ++n)
        aside.backup = path + QStringLiteral(".old") + QString::number(n);
    QFile file(path);
    if (!file.rename(aside.backup))
        return Failure{
            QStringLiteral("Cannot move \"%1\" out of the way (%2). Nothing was received.")
                .arg(path, file.errorString())};
    return aside;
}

Status Discard(const MovedAside& aside) {
    if (QFile::remove(aside.backup))
        return {};
    return Failure{QStringLiteral("The old file is still kept as \"%1\"; it could not be deleted.")
                       .arg(aside.backup)};
}

Status PutBack(const MovedAside& aside) {
    if (FileExists(aside.path) && !QFile::remove(aside.path))
        return Failure{QStringLiteral("What the run left at \"%1\" could not be removed: the old "
                                      "file is kept as \"%2\".")
                           .arg(aside.path, aside.backup)};
    QFile backup(aside.backup);
    if (backup.rename(aside.path))
        return {};
    return Failure{QStringLiteral("The old file could not be put back (%1): it is kept as \"%2\".")
                       .arg(backup.errorString(), aside.backup)};
}

Status Received(const RunResult& run, const QString& target) {
    constexpr qint64 HeaderStub = 512;
    const QFileInfo received(target);
    if (!run.ok())
        return Failure{run.reason()};
    if (!received.isFile())
        return Failure{QStringLiteral("ucon64 wrote no file")};
    if (received.size() <= HeaderStub)
        return Failure{QStringLiteral("ucon64 wrote only %1 bytes, no more than a header")
                           .arg(received.size())};
    return {};
}

void Send(const Operation& op, Transfer kind, bool realTimeSave, const QString& folder,
          const QString& name, const QString& port) {
    const QString path = JoinPath(folder, name);
    const QFileInfo info(path);
    if (name.isEmpty() || !info.isFile()) {
        op.prompter.message(
            CannotReadMessage(path, name.isEmpty()  ? QStringLiteral("no file is selected")
                                    : info.exists() ? QStringLiteral("not a regular file")
                                                    : QStringLiteral("the file is gone")));
        return;
    }
    op.run(SendCommandLine(kind, realTimeSave, folder, name, port));
}

void Receive(const Operation& op, Transfer kind, const QString& port, int ioModeIndex) {
    Prompter& ask = op.prompter;
    const QString answer = ask.input(DestinationPrompt(kind));
    if (answer.isEmpty())
        return;
    const Result<QString> typed = TypedPath(answer, op.platform);
    if (!typed) {
        ask.message(typed.error());
        return;
    }
    // The tool resolves a relative path in the folder it runs in, where it is started.
    const QString destination = HostPath(answer, op.platform.floppyRoot);
    const QString target = *typed;
    if (const QFileInfo info(target); info.isDir() || (info.exists() && !info.isFile())) {
        ask.message(info.isDir()
                        ? QStringLiteral("\"%1\" is a folder. Enter a file name.").arg(target)
                        : NotRegularMessage(target));
        return;
    }
    std::optional<MovedAside> aside;
    const bool occupied = FileExists(target);
    if (occupied && ask.message(QStringLiteral("File exists. Overwrite?"), {},
                                Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return;
    if (const Status entered = EnterFolder(op.platform.workFolder); !entered) {
        ask.message(entered.error());
        return;
    }
    if (occupied) {
        const Result<MovedAside> moved = MoveAside(target);
        if (!moved) {
            ask.message(moved.error());
            return;
        }
        aside = *moved;
    }
    const RunResult run = op.run(ReceiveCommandLine(kind, destination, port, ioModeIndex));
    // A tool that could not be started has been reported already.
    const Status received = run.started() ? Received(run, target) : Failure{};
    if (received) {
        if (const Status discarded = aside ? Discard(*aside) : Status(); !discarded)
            ask.message(discarded.error());
        return;
    }
    // Only what the run left there goes; the user's old file comes back.
    const Status back = aside ? PutBack(*aside)
                        : FileExists(target) && !QFile::remove(target)
                            ? Status(Failure{NotRemovedMessage({target})})
                            : Status();
    if (run.started())
        ask.message(QStringLiteral("Nothing was received into \"%1\": %2.%3")
                        .arg(target, received.error(),
                             !back   ? u' ' + back.error()
                             : aside ? QStringLiteral(" The old file is back in place.")
                                     : QString()));
    else if (!back)
        ask.message(back.error());
}

} // namespace kestrix
