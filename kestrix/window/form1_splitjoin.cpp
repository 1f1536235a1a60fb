// SPDX-License-Identifier: GPL-3.0-or-later
// The "Split" and "Join" buttons: a set of parts made for floppy disks, and back.
#include "ops/files.h"
#include "ops/join.h"
#include "ops/split.h"
#include "window/form1.h"
#include "window/lists.h"

#include <QDir>
#include <QFileInfo>

namespace kestrix {

void Form1::Command1_Click() {
    const QString name = File1->fileName();
    if (name.isEmpty())
        return;
    const QString kestrix = QStringLiteral("Kestrix");
    const QString destination = prompter_.input(
        QStringLiteral("Please enter destination directory!"), kestrix, QStringLiteral("A:\\"));
    // Cancel gives the empty answer; going on would split into the program folder.
    if (destination.isEmpty())
        return;
    const bool floppy = IsFloppyDestination(destination);
    if (floppy && !CheckDisk())
        return;
    QString size =
        prompter_.input(QStringLiteral("Please enter size (in MBit; 8MBit = 1MByte) per part."),
                        kestrix, QStringLiteral("8"));
    while (floppy && SizeValue(size) > FloppyPartLimit)
        size = prompter_.input(QStringLiteral("Sorry, a 1.44MB floppy disk can hold a maximum of "
                                              "11 Mbit. Please select a different size."));
    if (size.isEmpty())
        return;

    QString output = platform_.stagingFolder;
    if (!floppy) {
        output = HostPath(destination, platform_.floppyRoot);
        if (output.isEmpty()) {
            prompter_.message(NoFloppyMessage());
            return;
        }
    }
    // The tool would fall back to its working folder for a folder that is not there.
    const QString outputFolder = QDir(platform_.programFolder).absoluteFilePath(output);
    if (floppy ? !QDir().mkpath(outputFolder) : !QFileInfo(outputFolder).isDir()) {
        prompter_.message(QStringLiteral("The folder \"%1\" does not exist.").arg(outputFolder));
        return;
    }
    QDir::setCurrent(platform_.programFolder);
    File2->setPath(outputFolder);
    const FolderStamps before = StampFiles(outputFolder, File2->fileNames());
    if (!RunAndWait(SplitToolLine(SizeOption(size), Dir1->path(), name, output)))
        return;
    File2->refresh();
    const QStringList parts = WrittenFiles(before, StampFiles(outputFolder, File2->fileNames()));
    if (parts.isEmpty()) {
        prompter_.message(NoPartsMessage());
        return;
    }
    if (floppy && !copyToDisks(parts, destination))
        return;
    QDir::setCurrent(platform_.programFolder);
    prompter_.message(QStringLiteral("Done!"));
}

bool Form1::CheckDisk() {
    const QString probe = HostPath(QStringLiteral("A:\\test.t"), platform_.floppyRoot);
    if (probe.isEmpty()) {
        prompter_.message(NoFloppyMessage());
        return false;
    }
    while (!ProbeDisk(probe))
        if (prompter_.message(QStringLiteral("No disk, invalid format or not formatted. Please "
                                             "take necessary actions and try again by clicking "
                                             "OK."),
                              {}, Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
            return false;
    return true;
}

// Parts already on disk leave the staging folder; when the user stops, the rest stay there.
bool Form1::copyToDisks(const QStringList& parts, const QString& destination) {
    const QDir staging(platform_.stagingFolder);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        prompter_.message(QStringLiteral("Insert new disk in drive and click OK to progress."));
        const QString target = HostPath(destination + u'\\' + parts[i], platform_.floppyRoot);
        for (;;) {
            const QString error = CopyReplacing(staging.filePath(parts[i]), target);
            if (error.isEmpty())
                break;
            if (prompter_.message(DiskCopyFailedMessage(parts[i], target, error), {},
                                  Prompter::Buttons::RetryCancel) != Prompter::Answer::Retry) {
                prompter_.message(DiskCopyStoppedMessage(parts.mid(i), staging.path()));
                return false;
            }
        }
        QFile::remove(staging.filePath(parts[i]));
    }
    return true;
}

void Form1::Command2_Click() {
    const QString name = File1->fileName();
    if (!IsFirstPart(name)) {
        prompter_.message(NotFirstPartMessage());
        return;
    }
    const QString answer = prompter_.input(
        QStringLiteral("Please enter output path and filename (e.g. C:\\YourROM.swc)"));
    if (answer.isEmpty())
        return;
    const QString hostOutput = HostPath(answer, platform_.floppyRoot);
    if (hostOutput.isEmpty()) {
        prompter_.message(NoFloppyMessage());
        return;
    }
    const QDir program(platform_.programFolder);
    const QString output = program.absoluteFilePath(hostOutput);
    const QString base = PartBase(name);
    const bool floppy = Drive1->drive() == floppyDrive();
    // The join overwrites and deletes these names in the program folder, so none may be the
    // user's own file, nor the output.
    if (const QString taken = TakenWorkName(program.path(), base, floppy); !taken.isEmpty()) {
        prompter_.message(WorkNameTakenMessage(taken));
        return;
    }
    const QFileInfo outputInfo(output);
    if (outputInfo.absoluteDir().canonicalPath() == program.canonicalPath() &&
        IsJoinWorkName(outputInfo.fileName(), base, floppy)) {
        prompter_.message(OutputIsWorkFileMessage(output));
        return;
    }

    QDir::setCurrent(platform_.programFolder);
    QStringList gathered;
    bool done = !floppy || gatherParts(name, gathered);
    if (done)
        done = RunAndWait(JoinToolLine(floppy ? platform_.programFolder : Dir1->path(), name)) &&
               deliverJoined(program.filePath(base + QStringLiteral(".tmp")), output);
    if (const QStringList left = RemoveFiles(gathered); !left.isEmpty()) {
        prompter_.message(NotRemovedMessage(left));
        done = false;
    }
    if (done)
        prompter_.message(QStringLiteral("Done!"));
}

// The first part comes from the folder browsed, every further one from the root of the disk.
bool Form1::gatherParts(const QString& firstPart, QStringList& gathered) {
    const QDir program(platform_.programFolder);
    const QString base = PartBase(firstPart);
    QString part = firstPart;
    QString source = SelectedPath();
    for (int counter = 1;;) {
        while (!QFile::copy(source, program.filePath(part)))
            if (prompter_.message(PartMissingMessage(part), {}, Prompter::Buttons::RetryCancel) !=
                Prompter::Answer::Retry)
                return false;
        gathered.append(program.filePath(part));
        if (prompter_.message(QStringLiteral("Please insert next diskette and click OK. If there "
                                             "are no more disks, click cancel."),
                              {}, Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
            return true;
        part = PartName(base, ++counter);
        source = HostPath(QStringLiteral("A:\\") + part, platform_.floppyRoot);
    }
}

bool Form1::deliverJoined(const QString& tmpPath, const QString& output) {
    if (!QFileInfo(tmpPath).isFile()) {
        prompter_.message(NoJoinedFileMessage(QFileInfo(tmpPath).fileName()));
        return false;
    }
    if (const QString error = CopyReplacing(tmpPath, output); !error.isEmpty()) {
        prompter_.message(OutputCopyFailedMessage(output, error, tmpPath));
        return false;
    }
    QFile::remove(tmpPath);
    return true;
}

} // namespace kestrix
