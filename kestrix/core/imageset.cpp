// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/imageset.h"

#include "core/cmdline.h"
#include "core/files.h"
#include "core/fileslot.h"
#include "core/header.h"
#include "core/split.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr int LastNumber = 9999;

QString ImageFailure(const QString& image, const QString& part, const QString& reason) {
    return QStringLiteral("%1 (%2) was not written: %3.").arg(image, part, reason);
}

// The image under a temporary name beside its place, synced, its size and its part read back,
// then renamed into place; a number taken meanwhile is not written over.
Status WriteImage(const QString& target, const DiskFile& part, const QString& label) {
    const QString name = QFileInfo(target).fileName();
    const auto fail = [&](const QString& reason) {
        return Failure{ImageFailure(name, part.name, reason)};
    };
    const Result<QByteArray> image = MakeFloppyImage(label, part);
    if (!image)
        return Failure{image.error()};
    QTemporaryFile out(QFileInfo(target).path() + QStringLiteral("/.") + name +
                       QStringLiteral(".XXXXXX"));
    if (!out.open())
        return fail(out.errorString());
    for (qint64 done = 0; done < image->size();) {
        const qint64 n = out.write(image->constData() + done, image->size() - done);
        if (n <= 0)
            return fail(out.errorString());
        done += n;
    }
    if (!out.flush())
        return fail(out.errorString());
    if (::fsync(out.handle()) != 0)
        return fail(qt_error_string(errno));
    if (const qint64 size = QFileInfo(out.fileName()).size(); size != image->size())
        return fail(QStringLiteral("it holds %1 of %2 bytes")
                        .arg(BytesText(size), BytesText(image->size())));
    out.seek(0);
    const Result<QList<DiskFile>> back = ReadFloppyImage(out.readAll());
    if (!back || back->size() != 1 || back->front().bytes != part.bytes)
        return fail(QStringLiteral("its part did not read back"));
    out.close();
    if (!QFile::rename(out.fileName(), target))
        return fail(FileExists(target) ? QStringLiteral("another file took its name meanwhile")
                                       : QStringLiteral("it could not be renamed into place"));
    return {};
}

// The folder's entries on the medium, so the stick can be taken out.
Status SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    const QString reason = qt_error_string(errno);
    if (fd >= 0)
        ::close(fd);
    if (synced)
        return {};
    return Failure{QStringLiteral("Could not write everything to the disk in \"%1\" (%2).")
                       .arg(folder, reason)};
}

QString NumberText(int number) {
    return QString::number(number).rightJustified(4, u'0');
}

// One image per staged part, under the first free run of numbers, after the room for all of them
// is known to be there. Says where the game went.
Result<QString> WriteImageSet(const QString& staging, const QStringList& parts,
                              const QString& target, const QString& name) {
    const QDir to(target);
    const int count = static_cast<int>(parts.size());
    const int first = FirstFreeNumbers(
        to.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System), count);
    if (first < 0)
        return Failure{
            QStringLiteral("\"%1\" has no %2 free disk numbers in a row.").arg(target).arg(count)};
    const QStorageInfo disk(target);
    const qint64 block = std::max(disk.blockSize(), 1);
    const qint64 needed = count * ((FloppyImageBytes + block - 1) / block * block);
    if (disk.isValid() && disk.bytesAvailable() < needed)
        return Failure{QStringLiteral("The %1 disk images of %2 need %3 bytes in \"%4\", which has "
                                      "room for %5. Nothing was written.")
                           .arg(count)
                           .arg(name, BytesText(needed), target, BytesText(disk.bytesAvailable()))};
    const QString base = ToolName(name, {});
    const QString label = DosName(base, 11);
    QStringList written;
    for (int i = 0; i < count; ++i) {
        QFile file;
        const QString staged = QDir(staging).filePath(parts[i]);
        Status made = OpenRegular(file, staged);
        DiskFile part{PartDosName(name, i + 1), file.readAll(), QFileInfo(staged).lastModified()};
        if (made && file.error() != QFileDevice::NoError)
            made = Failure{file.errorString()};
        if (!made)
            made = Failure{CannotReadMessage(staged, made.error())};
        else
            made = WriteImage(to.filePath(IndexedImageName(first + i)), part, label);
        if (!made)
            return Failure{made.error() + u' ' +
                           (written.isEmpty() ? QStringLiteral("No image was written.")
                                              : QStringLiteral("Written and kept: %1.")
                                                    .arg(written.join(QStringLiteral(", "))))};
        written.append(QStringLiteral("%1 (%2)").arg(IndexedImageName(first + i), part.name));
    }
    if (const Status synced = SyncFolder(target); !synced)
        return Failure{synced.error()};
    const int last = first + count - 1;
    return count == 1 ? QStringLiteral("%1 is on disk %2 (%3).")
                            .arg(base, QString::number(first), IndexedImageName(first))
                      : QStringLiteral("%1 is on disks %2 to %3 (%4 to %5).")
                            .arg(base, QString::number(first), QString::number(last),
                                 IndexedImageName(first), IndexedImageName(last));
}

} // namespace

bool IsDiskImageName(const QString& name) {
    return name.endsWith(QLatin1String(".img"), Qt::CaseInsensitive);
}

Result<DiskFile> ReadImagePart(const QString& path) {
    QFile file;
    if (const Status opened = OpenRegular(file, path); !opened)
        return Failure{CannotReadMessage(path, opened.error())};
    // One byte more tells a larger file from a disk.
    const QByteArray bytes = file.read(FloppyImageBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Failure{CannotReadMessage(path, file.errorString())};
    const Result<QList<DiskFile>> files = ReadFloppyImage(bytes);
    if (!files)
        return Failure{QStringLiteral("\"%1\" holds no part: %2.").arg(path, files.error())};
    for (const DiskFile& f : *files)
        if (CarriesHeaderId(f.bytes.left(HeaderBytes)))
            return f;
    return Failure{
        QStringLiteral("\"%1\" holds no part: no file on it has a copier header.").arg(path)};
}

QString NextImageName(const QString& name) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)(?=[^\\d]*$)"));
    const QRegularExpressionMatch found = digits.match(name);
    if (!found.hasMatch())
        return {};
    const QString number = QString::number(found.captured(1).toLongLong() + 1)
                               .rightJustified(found.capturedLength(1), u'0');
    if (number.size() > found.capturedLength(1))
        return {};
    return QString(name).replace(found.capturedStart(1), found.capturedLength(1), number);
}

QString IndexedImageName(int number) {
    return QStringLiteral("DSKA") + NumberText(number) + QStringLiteral(".IMG");
}

int FirstFreeNumbers(const QStringList& names, int count) {
    static const QRegularExpression indexed(QStringLiteral("^DSKA(\\d{4})(\\.|$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    QList<bool> taken(LastNumber + 1, false);
    for (const QString& name : names)
        if (const QRegularExpressionMatch m = indexed.match(name); m.hasMatch())
            taken[m.captured(1).toInt()] = true;
    for (int first = 0, run = 0; first + run <= LastNumber && count > 0;) {
        if (taken[first + run]) {
            first += run + 1;
            run = 0;
        } else if (++run == count) {
            return first;
        }
    }
    return -1;
}

QString PartDosName(const QString& imageName, int number) {
    return DosName(ToolName(imageName, {}), 8) + u'.' + QString::number(number);
}

Status SplitToImages(const Operation& op, const QString& folder, const QString& name,
                     QString& imageFolder) {
    if (name.isEmpty())
        return Cancelled{};
    if (const Status splittable = CheckSplittable(folder, name); !splittable)
        return splittable;
    Prompter& ask = op.prompter;
    const QString answer =
        ask.input(QStringLiteral("Please enter the folder for the disk images (the root of the "
                                 "floppy emulator's USB stick)."),
                  QStringLiteral("Kestrix"), imageFolder);
    if (answer.isEmpty())
        return Cancelled{};
    imageFolder = answer;
    const Result<QString> target = TypedPath(answer, op.platform);
    if (!target)
        return Status::from(target);
    if (!QFileInfo(*target).isDir())
        return Failure{QStringLiteral("The folder \"%1\" does not exist.").arg(*target)};
    const QString size = AskPartSize(ask, true);
    if (size.isEmpty())
        return Cancelled{};
    const Result<QString> staging = StagingFolder(op.platform);
    if (!staging)
        return Status::from(staging);
    const Result<QStringList> parts = SplitInto(op, folder, name, size, *staging);
    if (!parts)
        return Status::from(parts);
    const Result<QString> where = WriteImageSet(*staging, *parts, *target, name);
    // The parts are on the images, or the run failed: either way staging has no more use for them.
    QStringList staged;
    for (const QString& part : *parts)
        staged.append(QDir(*staging).filePath(part));
    const QStringList left = RemoveFiles(staged);
    if (!where)
        return Failure{where.error() +
                       (left.isEmpty() ? QString() : u' ' + NotRemovedMessage(left))};
    if (!left.isEmpty())
        return Failure{NotRemovedMessage(left)};
    ask.message(*where);
    return {};
}

} // namespace kestrix
