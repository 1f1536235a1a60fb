// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/join.h"

#include "core/files.h"
#include "core/fileslot.h"
#include "core/parts.h"
#include "core/transfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString TakenWorkName(const QString& workFolder, const QString& base, bool gathering) {
    const QDir dir(workFolder);
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
    return QStringLiteral("\"%1\" is in the way: joining works with a file of that name in that "
                          "folder. Move it elsewhere and try again.")
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
    return QStringLiteral("ucon64 wrote no joined file (%1). Its window shows what it printed.")
        .arg(tmpName);
}

QString JoinedSizeMessage(const QString& tmpName, qint64 bytes, qint64 expected) {
    return QStringLiteral("ucon64 wrote %1 with %2 bytes, but the parts add up to %3. Is there "
                          "room in the working folder?")
        .arg(tmpName, BytesText(bytes), BytesText(expected));
}

QString OutputCopyFailedMessage(const QString& reason, const QString& keptTmp) {
    return reason + QStringLiteral(" The joined image was kept as \"%1\".").arg(keptTmp);
}

QString NextDiskPrompt() {
    return QStringLiteral(
        "Please insert next diskette and click OK. If there are no more disks, click cancel.");
}

namespace {

// The output is a file name whose folder exists; an existing file goes only when the user says.
bool ConfirmOutput(Prompter& ask, const QString& output) {
    const QFileInfo info(output);
    if (info.isDir()) {
        ask.message(QStringLiteral("\"%1\" is a folder. Enter a file name.").arg(output));
        return false;
    }
    if (info.exists() && !info.isFile()) {
        ask.message(NotRegularMessage(output));
        return false;
    }
    if (!info.absoluteDir().exists()) {
        ask.message(QStringLiteral("The folder \"%1\" does not exist.").arg(info.absolutePath()));
        return false;
    }
    return !FileExists(output) || ask.message(QStringLiteral("File exists. Overwrite?"), {},
                                              Prompter::Buttons::YesNo) == Prompter::Answer::Yes;
}

// Copies one part into the working folder, with Retry while it is not on the disk.
bool GatherPart(Prompter& ask, const QString& source, const QString& target) {
    for (;;) {
        QString problem = PartMissingMessage(QFileInfo(target).fileName());
        if (QFileInfo(source).isFile()) {
            const Status copied = CopyFile(source, target);
            if (copied)
                return true;
            problem = copied.error() + QStringLiteral(" Click Retry to try again.");
        }
        if (ask.message(problem, {}, Prompter::Buttons::RetryCancel) != Prompter::Answer::Retry)
            return false;
    }
}

// The first part comes from the folder browsed, every further one from the root of the disk. A
// Cancel while the last part gathered says that another follows is asked about.
bool GatherParts(const Operation& op, const QString& firstPath, const QString& firstPart,
                 QStringList& gathered) {
    Prompter& ask = op.prompter;
    const QDir work(op.platform.workFolder);
    const QString base = PartBase(firstPart);
    QString part = firstPart;
    QString source = firstPath;
    for (int counter = 1;;) {
        if (!GatherPart(ask, source, work.filePath(part)))
            return false;
        gathered.append(work.filePath(part));
        for (;;) {
            if (ask.message(NextDiskPrompt(), {}, Prompter::Buttons::OkCancel) ==
                Prompter::Answer::Ok)
                break;
            const std::optional<PartInfo> info = ReadPart(work.filePath(part));
            if (!info || !info->followed ||
                ask.message(IncompleteSetQuestion(part), {}, Prompter::Buttons::YesNo) ==
                    Prompter::Answer::Yes)
                return true;
        }
        part = PartName(base, ++counter);
        source = HostPath(QStringLiteral("A:\\") + part, op.platform.floppyRoot);
    }
}

// The set as the tool will join it: whole parts, nothing beyond its last part, and a missing
// rest only when the user agrees.
std::optional<PartSet> CheckedSet(Prompter& ask, const QString& folder, const QString& base,
                                  bool askIfIncomplete) {
    const Result<PartSet> set = ReadPartSet(folder, base);
    if (!set) {
        ask.message(set.error());
        return std::nullopt;
    }
    const QString last = set->parts.last().name;
    if (!set->beyond.isEmpty()) {
        ask.message(PartsBeyondMessage(set->beyond, last));
        return std::nullopt;
    }
    if (!set->complete && askIfIncomplete &&
        ask.message(IncompleteSetQuestion(last), {}, Prompter::Buttons::YesNo) !=
            Prompter::Answer::Yes)
        return std::nullopt;
    return *set;
}

// Scratch gains each file the join makes in the working folder, for the clean-up.
bool JoinParts(const Operation& op, const QString& folder, const QString& name, bool floppy,
               const QString& output, QStringList& scratch) {
    Prompter& ask = op.prompter;
    const QDir work(op.platform.workFolder);
    const QString base = PartBase(name);
    if (floppy && !GatherParts(op, JoinPath(folder, name), name, scratch))
        return false;
    const QString partsFolder = floppy ? work.path() : folder;
    const std::optional<PartSet> set = CheckedSet(ask, partsFolder, base, !floppy);
    if (!set)
        return false;
    const RunResult run = op.run(JoinToolLine(partsFolder, name));
    const QString tmpName = base + QStringLiteral(".tmp");
    const QFileInfo tmp(work.filePath(tmpName));
    if (!run.started()) // the window has said why
        return false;
    if (!run.ok()) {
        // Nothing of the user's has that name (checked before), so what lies there is this run's.
        const QString removed = !tmp.exists() ? QStringLiteral("It wrote no %1.").arg(tmpName)
                                : RemoveFiles({tmp.filePath()}).isEmpty()
                                    ? QStringLiteral("The unfinished %1 was removed.").arg(tmpName)
                                    : NotRemovedMessage({tmp.filePath()});
        ask.message(run.reason() + QStringLiteral(". ") + removed);
        return false;
    }
    if (!tmp.isFile()) {
        op.showOutput();
        ask.message(NoJoinedFileMessage(tmpName));
        return false;
    }
    scratch.append(tmp.filePath());
    if (tmp.size() != set->joinedBytes()) {
        ask.message(JoinedSizeMessage(tmpName, tmp.size(), set->joinedBytes()));
        return false;
    }
    if (const Status copied = CopyFile(tmp.filePath(), output); !copied) {
        scratch.removeLast(); // the only whole copy of the joined image stays
        ask.message(OutputCopyFailedMessage(copied.error(), tmp.filePath()));
        return false;
    }
    return true;
}

} // namespace

void Join(const Operation& op, const QString& folder, const QString& name, bool floppy) {
    Prompter& ask = op.prompter;
    if (!IsFirstPart(name)) {
        ask.message(NotFirstPartMessage());
        return;
    }
    const QString answer =
        ask.input(QStringLiteral("Please enter output path and filename (e.g. C:\\YourROM.swc)"));
    if (answer.isEmpty())
        return;
    const Result<QString> typed = TypedPath(answer, op.platform);
    if (!typed) {
        ask.message(typed.error());
        return;
    }
    const QDir work(op.platform.workFolder);
    const QString output = *typed;
    const QString base = PartBase(name);
    // The join overwrites and deletes these names in the working folder, so none may be the
    // user's own file, nor the output.
    if (const QString taken = TakenWorkName(work.path(), base, floppy); !taken.isEmpty()) {
        ask.message(WorkNameTakenMessage(taken));
        return;
    }
    const QFileInfo outputInfo(output);
    if (outputInfo.absoluteDir().canonicalPath() == work.canonicalPath() &&
        IsJoinWorkName(outputInfo.fileName(), base, floppy)) {
        ask.message(OutputIsWorkFileMessage(output));
        return;
    }
    if (!ConfirmOutput(ask, output))
        return;

    if (const Status entered = EnterFolder(work.path()); !entered) {
        ask.message(entered.error());
        return;
    }
    QStringList scratch;
    bool done = JoinParts(op, folder, name, floppy, output, scratch);
    if (const QStringList left = RemoveFiles(scratch); !left.isEmpty()) {
        ask.message(NotRemovedMessage(left));
        done = false;
    }
    // A relative answer lands in the working folder, which the user may not know.
    if (done)
        ask.message(QStringLiteral("Done!"), {}, Prompter::Buttons::Ok,
                    QFileInfo(HostPath(answer, op.platform.floppyRoot)).isRelative()
                        ? QStringLiteral("The joined image is \"%1\".").arg(output)
                        : QString());
}

} // namespace kestrix
