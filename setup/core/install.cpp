// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/install.h"

#include "core/files.h"
#include "core/prompter.h"
#include "core/script.h"
#include "core/shortcut.h"
#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace setup {

namespace {

// An empty destination would be the file system's root, the source folder must lie in the
// installer's folder, and the shortcut, if one is to be made, would land outside the desktop
// folder or would not start its target.
Status CheckValues(const InstallValues& values) {
    if (values.destination.isEmpty())
        return Failure{
            QStringLiteral("There is no destination folder: the destination box is empty.")};
    // Joined to each name, an empty source folder would be the file system's root.
    if (values.source.isEmpty() || ClimbsOut(values.source))
        return Failure{QStringLiteral("The source folder \"%1\" is not in the installer's folder.")
                           .arg(values.source)};
    if (!values.shortcut)
        return {};
    if (LeavesFolder(values.shortcutName))
        return Failure{
            QStringLiteral("The desktop shortcut's name \"%1\" leads out of the desktop folder.")
                .arg(values.shortcutName)};
    // A desktop entry has no way to hold them: dropped, they would make it start another file.
    const auto control = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.category() == QChar::Other_Control; });
    };
    const QString target = JoinPath(values.destination, values.shortcutTarget);
    for (const auto& [what, value] : {std::pair{"name", values.shortcutName}, {"target", target}}) {
        if (control(value))
            return Failure{QStringLiteral("The desktop shortcut's %1 \"%2\" holds a control "
                                          "character, which a desktop entry cannot hold.")
                               .arg(QLatin1String(what), value)};
    }
    return {};
}

// Copies a plain file into the destination folder, keeping its permissions; the target is
// replaced whole or not at all, and never through a link.
Status CopyReplacing(const QString& source, const QString& destination, const QString& name) {
    const QString target = JoinPath(destination, name);
    const auto failed = [&](const QString& why) {
        return Failure{QStringLiteral("The file \"%1\" could not be copied to \"%2\": %3")
                           .arg(QDir::toNativeSeparators(QDir::current().absoluteFilePath(source)),
                                QDir::toNativeSeparators(QDir::current().absoluteFilePath(target)),
                                why)};
    };
    const QFileInfo from(source);
    if (!from.isFile())
        return failed(QStringLiteral("it is not in the source folder."));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(in.errorString() + u'.');
    WholeFile out;
    if (const Status opened = out.Open(destination, name); !opened)
        return failed(opened.error());
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return failed(in.errorString() + u'.');
        if (n == 0)
            break;
        if (const Status written = out.Write({buffer, n}); !written)
            return failed(written.error());
    }
    if (const Status committed = out.Commit(from.permissions()); !committed)
        return failed(committed.error());
    return {};
}

Status install(const Installation& run, const InstallValues& values) {
    if (const Status checked = CheckValues(values); !checked)
        return checked;
    // The unzip program may still be unpacking what the run is about to copy; after a failed
    // unpack the source folder may hold last time's files, which must not pass for new ones.
    if (const Status unpacked = run.waitForUnzip(); !unpacked)
        return unpacked;
    // Errors ignored: a destination that is not there fails the first copy.
    QDir().mkdir(values.destination);
    if (!run.script.IsOpen())
        return Failure{QStringLiteral("The installation has already run: the setup script \"%1\" "
                                      "is closed.")
                           .arg(run.script.Name())};
    for (;;) {
        const Result<QString> line = run.script.ReadLine(QStringLiteral("END G"));
        if (!line)
            return Failure{line.error()};
        if (*line == u"END G")
            break;
        if (ClimbsOut(*line))
            return Failure{QStringLiteral("The file \"%1\" of the setup script's list leads out of "
                                          "the source and the destination folder.")
                               .arg(*line)};
        const Status copied =
            CopyReplacing(JoinPath(values.source, *line), values.destination, *line);
        if (!copied)
            return copied;
        // The log names the installer's own folder as the file's origin.
        run.log(QStringLiteral("\r\n") + JoinPath(run.platform.installerFolder, *line) +
                QStringLiteral(" ==> ") + JoinPath(values.destination, *line));
        run.step();
    }
    run.logAtEnd(QStringLiteral("\r\nAlmost finished..."));
    if (values.shortcut) {
        const Status made = Create_ShortCut(
            run.platform, JoinPath(values.destination, values.shortcutTarget),
            QStringLiteral("Desktop"), values.shortcutName, values.destination, 0, 0);
        if (!made)
            return made;
    }
    run.log(QStringLiteral("\r\nFinished!"));
    run.script.Close();
    return {};
}

} // namespace

Status Install(const Installation& run, const InstallValues& values) {
    Status installed = install(run, values);
    if (!installed)
        run.prompter.ErrorReport(installed.error());
    return installed;
}

} // namespace setup
