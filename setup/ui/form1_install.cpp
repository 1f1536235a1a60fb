// SPDX-License-Identifier: GPL-3.0-or-later
// The installation run, the clean-up at close and the desktop shortcut.
#include "core/cleanup.h"
#include "core/install.h"
#include "core/shortcut.h"
#include "ui/controls.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSaveFile>

namespace setup {

void Form1::Command1_Click() {
    const QString refusal = InstallRefusal(Text2->text(), Text3, Check1->isChecked(),
                                           JoinPath(Text2->text(), Text5), Text4);
    if (!refusal.isEmpty()) {
        fail(refusal);
        return;
    }
    // The unzip program may still be unpacking what the run is about to copy.
    if (unzip_.Running()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        unzip_.WaitForEnd();
        QGuiApplication::restoreOverrideCursor();
    }

    MakeLastLevel(Text2->text());
    if (!script_.isOpen()) {
        fail(QStringLiteral("The installation has already run: the setup script \"%1\" is "
                            "closed.")
                 .arg(QDir::toNativeSeparators(script_.fileName())));
        return;
    }
    for (;;) {
        const std::optional<QString> line = reader_.ReadLine();
        if (!line) {
            fail(QStringLiteral("The setup script \"%1\" ends before its line \"END G\".")
                     .arg(QDir::toNativeSeparators(script_.fileName())));
            return;
        }
        if (IsListEnd(*line))
            break;
        if (ClimbsOut(*line)) {
            fail(QStringLiteral("The file \"%1\" of the setup script's list leads out of the "
                                "source and the destination folder.")
                     .arg(*line));
            return;
        }
        const QString destination = Text2->text();
        QString error;
        if (!CopyReplacing(JoinPath(Text3, *line), JoinPath(destination, *line), &error)) {
            fail(error);
            return;
        }
        Text1->Append(LogLine(platform_.installerFolder, *line, destination));
        ProgressBar1->SetValue(ProgressBar1->Value() + 1);
    }

    // Adds at the very end whatever the selection, as re-setting the whole text would, without
    // laying out again the thousands of lines a large run has logged.
    Text1->CaretToEnd();
    Text1->Append(QStringLiteral("\r\nAlmost finished..."));
    if (Check1->isChecked() &&
        !Create_ShortCut(JoinPath(Text2->text(), Text5), QStringLiteral("Desktop"), Text4,
                         Text2->text(), 0, 0))
        return;
    Text1->Append(QStringLiteral("\r\nFinished!"));
    script_.close();
}

QString Form1::SpecialFolders(const QString& name) const {
    return name == u"Desktop" ? platform_.desktopFolder : QString();
}

bool Form1::Create_ShortCut(QString TargetPath, QString ShortCutPath, QString shortcutname,
                            QString WorkPath, qint16 Window_Style, qint16 IconNum) {
    ShortCutPath = SpecialFolders(ShortCutPath);
    const QString file = JoinPath(ShortCutPath, ShortcutFileName(shortcutname));
    const auto failed = [&](const QString& why) {
        return fail(QStringLiteral("The desktop shortcut \"%1\" could not be written: %2")
                        .arg(QDir::toNativeSeparators(file), why));
    };
    if (ShortCutPath.isEmpty())
        return failed(QStringLiteral("there is no desktop folder."));
    // A fresh account may have no desktop folder yet.
    QDir().mkpath(ShortCutPath);

    const Shortcut shortcut{shortcutname, TargetPath, WorkPath, Window_Style,
                            TargetPath + u',' + QString::number(IconNum)};
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(DesktopEntry(shortcut).toUtf8()) < 0 ||
        !out.commit())
        return failed(out.errorString() + u'.');
    // Desktops start only entries marked executable.
    QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return true;
}

void Form1::closeEvent(QCloseEvent* event) {
    // After a failure the installer ends as it is: its files stay for another try.
    event->accept();
    if (ended_)
        return;
    for (const QString& name : CleanUpNames(Text3))
        DeleteMatching(platform_.installerFolder, name);
    // A tool window does not count as the application's last window, so end it here.
    ended_ = true;
    end_(0);
}

} // namespace setup
