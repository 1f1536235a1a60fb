// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer.h"

#include "core/cmdline.h"
#include "core/files.h"
#include "core/fileslot.h"
#include "core/runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrix {

using namespace Qt::StringLiterals;

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

// The I/O-mode option for a Combo1 index, beginning with a blank; empty for no entry (-1) or
// any index outside the list.
QString IOModeOption(int index) {
    static const char* const modes[] = {"001", "002", "004", "008", "010",
                                        "020", "040", "080", "100", "044"};
    if (index < 0 || index >= static_cast<int>(std::size(modes)))
        return {};
    return QStringLiteral(" --xswc-io=0x") + QLatin1StringView(modes[index]);
}

// Sends the selected file: tool option, quoted path and the port as typed. The real-time-save
// flag only matters for a ROM.
QString SendCommandLine(Transfer kind, bool realTimeSave, const QString& folder,
                        const QString& name, const QString& port) {
    return QStringLiteral("ucon64 ") + ToolOption(kind, realTimeSave) + u' ' +
           QuotePath(JoinPath(folder, name)) + QStringLiteral(" --port=") + port;
}

// Receives into the destination; a ROM and cartridge SRAM add the I/O mode. A relative
// destination beginning with "-" gets "./" before it, or the tool would take it for an option.
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

// Whether a receive brought something: the tool ended well (status 0, no error, not stopped)
// and wrote more than the 512-byte header it writes before it first talks to the copier.
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

// What the system shows of the port, before the tool runs into it; the user may go on.
Status CheckPort(const Operation& op, const QString& port) {
    const QStringList problems = PortProblems(
        op.platform.port, port, FindProgram(QStringLiteral("ucon64"), op.platform.programFolder));
    if (problems.isEmpty() ||
        op.prompter.message(problems.join(u"\n\n"_s) + u"\n\nTry the transfer anyway?"_s, {},
                            Prompter::Buttons::YesNo) == Prompter::Answer::Yes)
        return {};
    return Cancelled{};
}

} // namespace

Status Send(const Operation& op, Transfer kind, bool realTimeSave, const QString& folder,
            const QString& name, const QString& port) {
    const QString path = JoinPath(folder, name);
    const QFileInfo info(path);
    if (name.isEmpty() || !info.isFile())
        return Failure{
            CannotReadMessage(path, name.isEmpty()  ? QStringLiteral("no file is selected")
                                    : info.exists() ? QStringLiteral("not a regular file")
                                                    : QStringLiteral("the file is gone"))};
    if (const Status checked = CheckPort(op, port); !checked)
        return checked;
    const RunResult run = op.run(SendCommandLine(kind, realTimeSave, folder, name, port));
    // A run that ended badly says why in the tool's window.
    return run.ended() ? Status() : Failure{run.reason()};
}

Status Receive(const Operation& op, Transfer kind, const QString& port, int ioModeIndex) {
    Prompter& ask = op.prompter;
    if (const Status checked = CheckPort(op, port); !checked)
        return checked;
    const QString answer = ask.input(DestinationPrompt(kind));
    if (answer.isEmpty())
        return Cancelled{};
    const Result<QString> target = TypedPath(answer, op.platform);
    if (!target)
        return Status::from(target);
    if (const Status confirmed = ConfirmOutput(ask, *target); !confirmed)
        return confirmed;
    if (const Status entered = EnterFolder(op.platform.workFolder); !entered)
        return entered;
    std::optional<MovedAside> aside;
    if (FileExists(*target)) {
        const Result<MovedAside> moved = MoveAside(*target);
        if (!moved)
            return Status::from(moved);
        aside = *moved;
    }
    // The tool resolves a relative path in the folder it runs in, where it is started.
    const QString destination = HostPath(answer, FloppyRoot(op.platform));
    const RunResult run = op.run(ReceiveCommandLine(kind, destination, port, ioModeIndex));
    const Status received = run.ended() ? Received(run, *target) : Failure{run.reason()};
    if (received)
        return aside ? Discard(*aside) : Status();
    // Only what the run left there goes; the user's old file comes back.
    const Status back = aside ? PutBack(*aside)
                        : FileExists(*target) && !QFile::remove(*target)
                            ? Status(Failure{NotRemovedMessage({*target})})
                            : Status();
    if (!run.ended())
        return back ? received : back;
    return Failure{QStringLiteral("Nothing was received into \"%1\": %2.%3")
                       .arg(*target, received.error(),
                            !back   ? u' ' + back.error()
                            : aside ? QStringLiteral(" The old file is back in place.")
                                    : QString())};
}

} // namespace kestrix
