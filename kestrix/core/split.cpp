// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/split.h"

#include "core/browse.h"
#include "core/cmdline.h"
#include "core/files.h"
#include "core/fileslot.h"
#include "core/header.h"
#include "core/parts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace kestrix {

using namespace Qt::StringLiterals;

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

namespace {

constexpr qint64 MbitBytes = 131072;

// "ucon64 -s --ssize=SIZE", the quoted image path and " -o=" with the quoted output folder.
QString SplitToolLine(const QString& size, const QString& folder, const QString& name,
                      const QString& outputFolder) {
    return QStringLiteral("ucon64 -s --ssize=") + size + u' ' + QuotePath(JoinPath(folder, name)) +
           QStringLiteral(" -o=") + QuotePath(outputFolder);
}

// Size and modification time of each file, so a run's new or rewritten files can be told apart
// from what lay there before.
struct FileStamp {
    qint64 size = -1;
    qint64 modified = -1; // ms since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
using FolderStamps = QHash<QString, FileStamp>;

// Every plain, visible file of the folder.
FolderStamps StampFiles(const QString& folder) {
    FolderStamps stamps;
    const QDir dir(folder);
    for (const QString& name : ListFiles(folder, {})) {
        const QFileInfo info(dir.filePath(name));
        stamps.insert(name, {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    return stamps;
}

// The names that are new or changed in after, in part-number order.
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

QString NoPartsMessage(const QString& folder) {
    return QStringLiteral("ucon64 wrote no parts into \"%1\". Its window shows what it printed.")
        .arg(folder);
}

QString HeaderlessSplitMessage(const QString& name) {
    return QStringLiteral("%1 has no Super Wild Card header, so ucon64 would split it into parts "
                          "for another copier. Convert it to .swc first, then split the .swc file.")
        .arg(name);
}

QString DiskPrompt() {
    return QStringLiteral("Insert new disk in drive and click OK to progress.");
}

QString DiskCopyFailedMessage(const QString& reason) {
    return reason + QStringLiteral(" Insert a formatted disk with room for it that is not "
                                   "write-protected and click Retry.");
}

QString MissingFolderMessage(const QString& destination) {
    return QStringLiteral("The folder %1 is not on the disk in drive A:. Insert a disk that has "
                          "it, or make it on this disk, and click Retry.")
        .arg(destination);
}

QString NotMountedMessage() {
    return QStringLiteral("No disk is mounted in drive A:. Insert the disk, let the desktop mount "
                          "it and click Retry.");
}

QString DiskCopyStoppedMessage(const QStringList& remaining, const QString& stagingFolder) {
    return QStringLiteral("Stopped. Not copied to disk: %1. They are in \"%2\".")
        .arg(remaining.join(QStringLiteral(", ")), stagingFolder);
}

// How many parts the tool writes, by its own rule: whole Mbit of at least 4 per part, at most
// nine parts, and only of an image larger than one part; none otherwise.
int PartCount(qint64 bodyBytes, double mbit) {
    const auto whole = static_cast<qint64>(std::min(mbit, 1e6));
    if (whole < 4 || bodyBytes <= whole * MbitBytes)
        return 0;
    const qint64 parts = (bodyBytes + whole * MbitBytes - 1) / (whole * MbitBytes);
    return parts > 9 ? 0 : static_cast<int>(parts);
}

// Only names of this image's parts: nothing else of the folder is the split's to remove.
QStringList PartsOf(const QString& name, const QStringList& files) {
    QStringList parts;
    for (int number = 1; number <= 9; ++number)
        if (const QString part = ToolName(name, u'.' + QString::number(number));
            files.contains(part))
            parts.append(part);
    return parts;
}

// What removing this run's parts left behind, for the end of a message.
QString RemovedParts(const QString& folder, const QStringList& parts) {
    if (parts.isEmpty())
        return QStringLiteral("It wrote no parts.");
    QStringList paths;
    for (const QString& part : parts)
        paths.append(QDir(folder).filePath(part));
    const QStringList left = RemoveFiles(paths);
    return left.isEmpty()
               ? QStringLiteral("The parts it wrote were removed: %1.").arg(parts.join(u", "_s))
               : NotRemovedMessage(left);
}

// The floppy write probe, on the disk mounted now, repeated until it succeeds or the user gives
// up.
Status CheckDisk(const Operation& op) {
    for (;;) {
        const QString root = FloppyRoot(op.platform);
        if (!root.isEmpty() && ProbeDisk(root + QStringLiteral("/test.t")))
            return {};
        if (op.prompter.message(QStringLiteral("No disk, invalid format or not formatted. Please "
                                               "take necessary actions and try again by clicking "
                                               "OK."),
                                {}, Prompter::Buttons::OkCancel,
                                root.isEmpty()
                                    ? NoFloppyMessage()
                                    : QStringLiteral("The disk is mounted at \"%1\".").arg(root)) !=
            Prompter::Answer::Ok)
            return Cancelled{};
        if (op.platform.disks) // its failure is the next round's "no disk"
            (void)op.platform.disks->insert();
    }
}

// One part per disk, a prompt before each; a part leaves staging once it is whole on its disk.
// Stopped, the rest of the parts stay in staging and the failure says where.
Status CopyToDisks(const Operation& op, const QString& stagingFolder, const QStringList& parts,
                   const QString& destination) {
    Prompter& ask = op.prompter;
    DiskService* disks = op.platform.disks.get();
    const QDir staging(stagingFolder);
    const auto stop = [&](qsizetype from) {
        return Failure{DiskCopyStoppedMessage(parts.mid(from), staging.path())};
    };
    QStringList left;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString detail =
            QStringLiteral("%1: part %2 of %3").arg(parts[i]).arg(i + 1).arg(parts.size());
        if (ask.message(DiskPrompt(), {}, Prompter::Buttons::OkCancel, detail) !=
            Prompter::Answer::Ok)
            return stop(i);
        QString root;
        for (;;) {
            // Each disk may be mounted elsewhere (a desktop names the folder by its label), and
            // a folder with no disk mounted on it is the hard disk's: never written to.
            const Status inserted = disks ? disks->insert() : Status();
            root = FloppyRoot(op.platform);
            const QString target = HostPath(destination + u'\\' + parts[i], root);
            QString problem;
            if (!inserted)
                problem = inserted.error();
            else if (root.isEmpty())
                problem = NotMountedMessage();
            else if (!QFileInfo(QFileInfo(target).path()).isDir()) // a folder this disk lacks
                problem = MissingFolderMessage(destination);
            else if (const Status copied = CopyAside(
                         op,
                         QStringLiteral("Copying %1 onto disk %2 of %3")
                             .arg(parts[i])
                             .arg(i + 1)
                             .arg(parts.size()),
                         QFileInfo(staging.filePath(parts[i])).size(),
                         [&](const CopyStep& step) {
                             return CopyOntoDisk(staging.filePath(parts[i]), target, step);
                         });
                     copied.cancelled())
                return stop(i);
            else if (!copied)
                problem = DiskCopyFailedMessage(copied.error());
            if (problem.isEmpty())
                break;
            if (ask.message(problem, {}, Prompter::Buttons::RetryCancel) != Prompter::Answer::Retry)
                return stop(i);
        }
        // Whole on its disk, the part is of no more use in staging.
        left += RemoveFiles({staging.filePath(parts[i])});
        // Out of the drive only once unmounted, or writes may be lost and a stale mount left.
        for (Status out; disks && !(out = disks->eject(root));)
            if (ask.message(out.error(), {}, Prompter::Buttons::RetryCancel) !=
                Prompter::Answer::Retry)
                return stop(i + 1);
    }
    if (!left.isEmpty())
        return Failure{NotRemovedMessage(left)};
    return {};
}

} // namespace

Status CheckSplittable(const QString& folder, const QString& name) {
    FileSlot reader;
    const Result<QByteArray> start = reader.ReadStart(JoinPath(folder, name), HeaderBytes);
    if (!start)
        return Status::from(start);
    if (!CarriesHeaderId(*start))
        return Failure{HeaderlessSplitMessage(name)};
    return {};
}

QString AskPartSize(Prompter& ask, bool floppy) {
    QString size =
        ask.input(QStringLiteral("Please enter size (in MBit; 8MBit = 1MByte) per part."),
                  QStringLiteral("Kestrix"), QStringLiteral("8"));
    while (floppy && SizeValue(size) > FloppyPartLimit)
        size = ask.input(QStringLiteral("Sorry, a 1.44MB floppy disk can hold a maximum of 11 "
                                        "Mbit. Please select a different size."));
    return size;
}

Status Split(const Operation& op, const QString& folder, const QString& name) {
    if (name.isEmpty())
        return Cancelled{};
    Prompter& ask = op.prompter;
    const Platform& host = op.platform;
    const QString image = JoinPath(folder, name);
    if (const Status splittable = CheckSplittable(folder, name); !splittable)
        return splittable;
    const QString destination = ask.input(QStringLiteral("Please enter destination directory!"),
                                          QStringLiteral("Kestrix"), QStringLiteral("A:\\"));
    // Cancel gives the empty answer; going on would split into the program folder.
    if (destination.isEmpty())
        return Cancelled{};
    const bool floppy = IsFloppyDestination(destination);
    if (floppy)
        if (const Status disk = CheckDisk(op); !disk)
            return disk;
    const QString size = AskPartSize(ask, floppy);
    if (size.isEmpty())
        return Cancelled{};

    const Result<QString> output = floppy ? StagingFolder(host) : TypedPath(destination, host);
    if (!output)
        return Status::from(output);
    // The tool would fall back to its working folder for a folder that is not there.
    const QString outputFolder = *output;
    if (!QFileInfo(outputFolder).isDir())
        return Failure{QStringLiteral("The folder \"%1\" does not exist.").arg(outputFolder)};
    const qint64 imageBody = QFileInfo(image).size() - 512;
    QStringList coming;
    for (int number = 1; number <= PartCount(imageBody, SizeValue(size)); ++number)
        coming.append(ToolName(name, u'.' + QString::number(number)));
    // The tool would read the image while it writes a part over it.
    if (QFileInfo(outputFolder).canonicalFilePath() == QFileInfo(folder).canonicalFilePath() &&
        coming.contains(name))
        return Failure{QStringLiteral("Splitting %1 into its own folder would write a part of the "
                                      "same name over it. Choose another folder.")
                           .arg(name)};
    // The tool keeps no backup of parts it writes over.
    QStringList there;
    for (const QString& part : coming)
        if (FileExists(QDir(outputFolder).filePath(part)))
            there.append(part);
    if (!floppy && !there.isEmpty() &&
        ask.message(QStringLiteral("\"%2\" already holds %1. Replace with the parts of %3?")
                        .arg(there.join(u", "_s), outputFolder, name),
                    {}, Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return Cancelled{};
    const Result<QStringList> parts = SplitInto(op, folder, name, size, outputFolder);
    if (!parts)
        return Status::from(parts);
    if (floppy)
        if (const Status copied = CopyToDisks(op, outputFolder, *parts, destination); !copied)
            return copied;
    ask.message(QStringLiteral("Done!"), {}, Prompter::Buttons::Ok,
                floppy && host.disks
                    ? QStringLiteral("The last disk is unmounted and can come out.")
                    : QString());
    return {};
}

Result<QStringList> SplitInto(const Operation& op, const QString& folder, const QString& name,
                              const QString& size, const QString& outputFolder) {
    if (const Status entered = EnterFolder(op.platform.workFolder); !entered)
        return Failure{entered.error()};
    const qint64 imageBody = QFileInfo(JoinPath(folder, name)).size() - 512;
    const FolderStamps before = StampFiles(outputFolder);
    const RunResult run = op.run(SplitToolLine(SizeOption(size), folder, name, outputFolder));
    if (!run.ended())
        return Failure{run.reason()};
    const QStringList parts = PartsOf(name, WrittenFiles(before, StampFiles(outputFolder)));
    if (!run.ok())
        return Failure{run.reason() + QStringLiteral(". ") + RemovedParts(outputFolder, parts)};
    if (parts.isEmpty()) {
        op.showOutput();
        return Failure{NoPartsMessage(outputFolder)};
    }
    // A set with a part missing or cut short is of no use anywhere, so none of it stays.
    if (const Status whole = CheckSplitParts(outputFolder, parts, imageBody); !whole)
        return Failure{whole.error() + u' ' + RemovedParts(outputFolder, parts) +
                       QStringLiteral(" Is there room for them in \"%1\"?").arg(outputFolder)};
    return parts;
}

} // namespace kestrix
