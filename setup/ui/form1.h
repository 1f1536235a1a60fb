// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/script.h"
#include "core/unzip.h"

#include <QFile>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace setup {

class InfoBox;
class Prompter;
class ProgressBar;

// The installer's one window. Its controls hold every setting the script gives; each step
// reads them when it needs them.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // end ends the installer at once with a status; by default it leaves the event loop.
    Form1(const Platform& platform, Prompter& prompter, std::function<void(int)> end = {},
          QWidget* parent = nullptr);
    ~Form1() override;

    // Makes the installer's folder the current one, starts the unzip program and reads the
    // script's header into the controls. After a failure, reported already, the window must not
    // be shown and the installer ends with a non-zero status.
    bool Form_Load();

    InfoBox* Text1;
    ProgressBar* ProgressBar1;
    QPushButton* Command1;
    QCheckBox* Check1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Text2;
    QPushButton* Command2;
    // The script's values that have no visible place.
    QString Text3 = QStringLiteral("Text3");
    QString Text4 = QStringLiteral("Text4");
    QString Text5 = QStringLiteral("Text5");

    const UnzipProcess& Unzip() const { return unzip_; }

    // Install: copies the script's file list into the destination with a log line and a
    // progress step each, then makes the desktop shortcut if asked.
    void Command1_Click();

    // Writes a shortcut into the named special folder; false after a failure has ended the
    // installer.
    bool Create_ShortCut(QString TargetPath, QString ShortCutPath, QString shortcutname,
                         QString WorkPath, qint16 Window_Style, qint16 IconNum);

protected:
    // Closing, by Quit or otherwise, deletes the installer's working files.
    void closeEvent(QCloseEvent* event) override;

private:
    // Reports the failure and ends the installer without the clean-up.
    bool fail(const QString& text);
    bool applyHeaderLine(const HeaderLine& line);
    // The window's caption, shown on the desktop exactly as given.
    void setCaption(const QString& caption);
    QString SpecialFolders(const QString& name) const;

    Platform platform_;
    Prompter& prompter_;
    std::function<void(int)> end_;
    bool ended_ = false;
    UnzipProcess unzip_;
    QFile script_; // open from the header until the end of the installation run
    ScriptReader reader_;
};

} // namespace setup
