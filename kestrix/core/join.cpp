// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/join.h"

#include "core/cmdline.h"
#include "core/files.h"
#include "core/fileslot.h"
#include "core/header.h"
#include "core/imageset.h"
#include "core/parts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>

namespace kestrix {

bool IsJoinWorkName(const QString& name, const QString& base, bool gathering) {
    if (name == base + QStringLiteral(".tmp"))
        return true;
    if (!gathering || !name.startsWith(base + u'.'))
        return false;
    const QStringView number = QStringView(name).mid(base.size() + 1);
    return !number.isEmpty() && number.front() != u'0' &&
           std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

namespace {

// "ucon64 -j --snes " and the quoted path of the first part.
QString JoinToolLine(const QString& folder, const QString& name) {
    return QStringLiteral("ucon64 -j --snes ") + QuotePath(JoinPath(folder, name));
}

// The first entry of the working folder that bears a name the join works with: a file of the
// user's that the join would overwrite or delete. Empty when there is none.
QString TakenWorkName(const QString& workFolder, const QString& base, bool gathering) {
    const QDir dir(workFolder);
    const QStringList names = dir.entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names)
        if (IsJoinWorkName(name, base, gathering))
            return dir.filePath(name);
    return {};
}

QString NextDiskPrompt() {
    return QStringLiteral(
        "Please insert next diskette and click OK. If there are no more disks, click cancel.");
}

// Copies one part into the working folder, with Retry while it is not on the disk.
Status GatherPart(const Operation& op, const std::function<QString()>& source,
                  const QString& target, int disk) {
    Prompter& ask = op.prompter;
    for (;;) {
        const Status inserted =
            disk > 1 && op.platform.disks ? op.platform.disks->insert() : Status();
        const QString from = source(); // a disk put in since may be mounted elsewhere
        QString problem = QStringLiteral("%1 is not on the disk in drive A:. Insert the disk that "
                                         "holds it and click Retry, or click Cancel to stop "
                                         "joining.")
                              .arg(QFileInfo(target).fileName());
        if (!inserted)
            problem = inserted.error() + QStringLiteral(" Click Retry to try again.");
        else if (QFileInfo(from).isFile()) {
            const Status copied =
                CopyAside(op,
                          QStringLiteral("Copying %1 from disk %2")
                              .arg(QFileInfo(target).fileName())
                              .arg(disk),
                          QFileInfo(from).size(), [&](const CopyStep& step) {
                              return CopyFile(from, target, CopyMode::Beside, step);
                          });
            if (copied || copied.cancelled())
                return copied;
            problem = copied.error() + QStringLiteral(" Click Retry to try again.");
        }
        if (ask.message(problem, {}, Prompter::Buttons::RetryCancel) != Prompter::Answer::Retry)
            return Cancelled{};
    }
}

// The first part comes from the folder browsed, every further one from the root of the disk. A
// Cancel while the last part gathered says that another follows is asked about. Gathered gains
// each copy made, for the clean-up.
Status GatherParts(const Operation& op, const QString& firstPath, const QString& firstPart,
                   QStringList& gathered) {
    Prompter& ask = op.prompter;
    const QDir work(op.platform.workFolder);
    const QString base = PartBase(firstPart);
    QString part = firstPart;
    // The first part from the folder browsed, every further one from the disk mounted now.
    const auto source = [&] {
        return part == firstPart ? firstPath
                                 : HostPath(QStringLiteral("A:\\") + part, FloppyRoot(op.platform));
    };
    for (int counter = 1;;) {
        if (const Status copied = GatherPart(op, source, work.filePath(part), counter); !copied)
            return copied;
        gathered.append(work.filePath(part));
        // Out of the drive only once unmounted, or a stale mount is left.
        for (Status out;
             op.platform.disks && !(out = op.platform.disks->eject(FloppyRoot(op.platform)));)
            if (ask.message(out.error(), {}, Prompter::Buttons::RetryCancel) !=
                Prompter::Answer::Retry)
                return Cancelled{};
        for (;;) {
            if (ask.message(NextDiskPrompt(), {}, Prompter::Buttons::OkCancel) ==
                Prompter::Answer::Ok)
                break;
            const std::optional<PartInfo> info = ReadPart(work.filePath(part));
            if (!info || !info->followed ||
                ask.message(IncompleteSetQuestion(part), {}, Prompter::Buttons::YesNo) ==
                    Prompter::Answer::Yes)
                return {};
        }
        part = PartName(base, ++counter);
    }
}

// The part on the selected image and on each image of the following numbers, up to the part
// whose header says it is the last, copied into the working folder; an image of the same number
// sequence that holds a part of another set stops it. Gathered gains each copy made.
Status GatherImageParts(const Operation& op, const QString& folder, const QString& image,
                        const QString& base, QStringList& gathered) {
    const QDir work(op.platform.workFolder);
    QString current = image;
    for (int number = 1;; ++number) {
        const Result<DiskFile> part = ReadImagePart(JoinPath(folder, current));
        if (!part)
            return Status::from(part);
        const QString expected = PartName(base, number);
        if (part->name.compare(expected, Qt::CaseInsensitive) != 0)
            return Failure{QStringLiteral("%1 holds %2, not %3, so it is not part of this set.")
                               .arg(current, part->name, expected)};
        if (const Status copied = WriteWholeFile(work.filePath(expected), part->bytes); !copied)
            return copied;
        gathered.append(work.filePath(expected));
        const std::optional<CopierHeader> header = ReadCopierHeader(part->bytes.left(HeaderBytes));
        if (!header || !header->followed())
            return {};
        const QString next = NextImageName(current);
        if (next.isEmpty() || !QFileInfo(JoinPath(folder, next)).isFile()) {
            if (op.prompter.message(IncompleteSetQuestion(expected), {}, Prompter::Buttons::YesNo,
                                    QStringLiteral("There is no %1.").arg(next)) ==
                Prompter::Answer::Yes)
                return {};
            return Cancelled{};
        }
        current = next;
    }
}

// The set as the tool will join it: whole parts, nothing beyond its last part, and a missing
// rest only when the user agrees.
Result<PartSet> CheckedSet(Prompter& ask, const QString& folder, const QString& base,
                           bool askIfIncomplete) {
    const Result<PartSet> set = ReadPartSet(folder, base);
    if (!set)
        return set;
    const QString last = set->parts.last().name;
    if (!set->beyond.isEmpty())
        return Failure{PartsBeyondMessage(set->beyond, last)};
    if (!set->complete && askIfIncomplete &&
        ask.message(IncompleteSetQuestion(last), {}, Prompter::Buttons::YesNo) !=
            Prompter::Answer::Yes)
        return Cancelled{};
    return set;
}

// Where the parts come from: where they lie, from floppies, or from disk images.
enum class Source { Folder, Disks, Images };

// Scratch gains each file the join makes in the working folder, for the clean-up.
Status JoinParts(const Operation& op, const QString& folder, const QString& name,
                 const QString& first, Source source, const QString& output, QStringList& scratch) {
    const QDir work(op.platform.workFolder);
    const QString base = PartBase(first);
    const Status gathered =
        source == Source::Disks    ? GatherParts(op, JoinPath(folder, name), name, scratch)
        : source == Source::Images ? GatherImageParts(op, folder, name, base, scratch)
                                   : Status();
    if (!gathered)
        return gathered;
    const bool gathering = source != Source::Folder;
    const QString partsFolder = gathering ? work.path() : folder;
    const Result<PartSet> set = CheckedSet(op.prompter, partsFolder, base, !gathering);
    if (!set)
        return Status::from(set);
    const RunResult run = op.run(JoinToolLine(partsFolder, first));
    const QString tmpName = base + QStringLiteral(".tmp");
    const QFileInfo tmp(work.filePath(tmpName));
    if (!run.ended())
        return Failure{run.reason()};
    // Nothing of the user's has that name (checked before), so what lies there is this run's.
    if (!run.ok())
        return Failure{run.reason() + QStringLiteral(". ") +
                       (!tmp.exists() ? QStringLiteral("It wrote no %1.").arg(tmpName)
                        : RemoveFiles({tmp.filePath()}).isEmpty()
                            ? QStringLiteral("The unfinished %1 was removed.").arg(tmpName)
                            : NotRemovedMessage({tmp.filePath()}))};
    if (!tmp.isFile()) {
        op.showOutput();
        return Failure{
            QStringLiteral("ucon64 wrote no joined file (%1). Its window shows what it printed.")
                .arg(tmpName)};
    }
    scratch.append(tmp.filePath());
    if (tmp.size() != set->joinedBytes())
        return Failure{QStringLiteral("ucon64 wrote %1 with %2 bytes, but the parts add up to %3. "
                                      "Is there room in the working folder?")
                           .arg(tmpName, BytesText(tmp.size()), BytesText(set->joinedBytes()))};
    if (const Status copied = CopyFile(tmp.filePath(), output); !copied) {
        scratch.removeLast(); // the only whole copy of the joined image stays
        return Failure{copied.error() +
                       QStringLiteral(" The joined image was kept as \"%1\".").arg(tmp.filePath())};
    }
    return {};
}

} // namespace

Status Join(const Operation& op, const QString& folder, const QString& name, bool floppy) {
    Prompter& ask = op.prompter;
    const Source source = IsDiskImageName(name) ? Source::Images
                          : floppy              ? Source::Disks
                                                : Source::Folder;
    // A disk image's set begins with the part on it, whatever the image is called.
    QString first = name;
    if (source == Source::Images) {
        const Result<DiskFile> part = ReadImagePart(JoinPath(folder, name));
        if (!part)
            return Status::from(part);
        first = part->name;
    }
    if (!IsFirstPart(first))
        return Failure{NotFirstPartMessage()};
    const QString answer =
        ask.input(QStringLiteral("Please enter output path and filename (e.g. C:\\YourROM.swc)"));
    if (answer.isEmpty())
        return Cancelled{};
    const Result<QString> output = TypedPath(answer, op.platform);
    if (!output)
        return Status::from(output);
    const QDir work(op.platform.workFolder);
    const QString base = PartBase(first);
    const bool gathering = source != Source::Folder;
    // The join overwrites and deletes these names in the working folder, so none may be the
    // user's own file, nor the output.
    if (const QString taken = TakenWorkName(work.path(), base, gathering); !taken.isEmpty())
        return Failure{QStringLiteral("\"%1\" is in the way: joining works with a file of that "
                                      "name in that folder. Move it elsewhere and try again.")
                           .arg(taken)};
    const QFileInfo outputInfo(*output);
    if (outputInfo.absoluteDir().canonicalPath() == work.canonicalPath() &&
        IsJoinWorkName(outputInfo.fileName(), base, gathering))
        return Failure{QStringLiteral("\"%1\" is a working file of the join and is deleted "
                                      "afterwards. Choose another output path.")
                           .arg(*output)};
    if (const Status confirmed = ConfirmOutput(ask, *output); !confirmed)
        return confirmed;
    if (const Status entered = EnterFolder(work.path()); !entered)
        return entered;
    QStringList scratch;
    const Status joined = JoinParts(op, folder, name, first, source, *output, scratch);
    if (const QStringList left = RemoveFiles(scratch); !left.isEmpty())
        return Failure{(joined ? QString() : joined.error() + u' ') + NotRemovedMessage(left)};
    if (!joined)
        return joined;
    // A relative answer lands in the working folder, which the user may not know.
    ask.message(QStringLiteral("Done!"), {}, Prompter::Buttons::Ok,
                QFileInfo(answer).isRelative() && !answer.startsWith(u"A:", Qt::CaseInsensitive)
                    ? QStringLiteral("The joined image is \"%1\".").arg(*output)
                    : QString());
    return {};
}

} // namespace kestrix
