// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/result.h"
#include "core/script.h"
#include "core/unzip.h"

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

// The installer's one window. Its controls hold every setting the script gives; Install reads
// them when it is pressed.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // end ends the installer at once with a status; by default it leaves the event loop.
    Form1(const Platform& platform, Prompter& prompter, std::function<void(int)> end = {});
    ~Form1() override;

    // Starts the unzip program and reads the script's header into the controls. After a
    // failure, reported already, the window must not be shown: the installer has ended.
    Status Form_Load();
    void Command1_Click(); // Install
    void Command2_Click(); // Quit

    InfoBox* Text1;            // "": the information box
    ProgressBar* ProgressBar1; // "": one step per copied file
    QPushButton* Command1;     // "Install"
    QCheckBox* Check1;         // "Create a Desktop shortcut?"
    QLabel* Label1;            // the credit line
    QLabel* Label2;            // "Name"
    QLabel* Label3;            // "Copyright:"
    QLabel* Label4;            // "Version:"
    QLabel* Label5;            // "Destination:"
    QLineEdit* Text2;          // "": the destination folder
    QPushButton* Command2;     // "Quit"
    // The script's values that have no visible place.
    QString Text3 = QStringLiteral("Text3"); // "Text3": the source folder
    QString Text4 = QStringLiteral("Text4"); // "Text4": the shortcut's name
    QString Text5 = QStringLiteral("Text5"); // "Text5": the shortcut's target

    const UnzipProcess& Unzip() const { return unzip_; }

protected:
    // Closing, by Quit or otherwise, deletes the installer's working files.
    void closeEvent(QCloseEvent* event) override;

private:
    void showHeader(const Header& header);
    // The window's caption, shown on the desktop exactly as given.
    void setCaption(const QString& caption);
    Status waitForUnzip();
    // Ends the installer at once, without the clean-up.
    void end(int status);

    Platform platform_;
    Prompter& prompter_;
    std::function<void(int)> end_;
    bool ended_ = false;
    UnzipProcess unzip_;
    Script script_;
};

} // namespace setup
