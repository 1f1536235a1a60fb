// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "header/fileslot.h"
#include "ops/local.h"
#include "ops/operation.h"
#include "platform.h"
#include "transfer/lpt.h"
#include "window/prompter.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kestrix {

class ConsoleWindow;
class DirListBox;
class Form2;
class DriveListBox;
class FileListBox;

// The main window. Its controls are the program's whole state; every handler reads them afresh.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(const Platform& platform, Prompter& prompter, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs a command line for the tool in its console window and waits for it, the window taking
    // no input meanwhile, then re-reads both lists keeping the folder and file selected. A tool
    // that could not be started is reported to the user; one that failed, in its window.
    RunResult RunAndWait(const QString& CommandLine);
    // The console window of the last run, while it exists.
    ConsoleWindow* ToolWindow() const;
    // How long a stopped tool has to end before it is made to.
    void setStopGrace(int milliseconds) { stopGrace_ = milliseconds; }

    // The file selected in File1, joined to Dir1's folder.
    QString SelectedPath() const;
    // The binary file slot shared by the header panel and the conversion.
    FileSlot& Slot1() { return slot1_; }
    // The About window while it is open.
    Form2* AboutWindow() const;

    QGroupBox* Frame1;
    DirListBox* Dir1;
    DriveListBox* Drive1;
    FileListBox* File1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;

    QGroupBox* Frame2;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command7;

    QGroupBox* Frame3;
    QPushButton* Command10;
    QCheckBox* Check1;
    QPushButton* Command11;
    QPushButton* Command12;
    QPushButton* Command13;
    QPushButton* Command14;
    QPushButton* Command15;
    QPushButton* Command16;
    QPushButton* Command17;
    QComboBox* Combo1;
    QLabel* Label10;
    QLabel* Label11;
    QLineEdit* Text1;

    QPushButton* Command8;
    QLabel* Label1;
    QPushButton* Command9;
    QLabel* Label9;
    FileListBox* File2;
    QTimer* Timer1;

    // Event handlers; public so tests can fire the timer without waiting for it.
    void Timer1_Timer();

protected:
    // While the tool runs the window waits for it and cannot be closed.
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Combo1_Click(int index);
    void Combo1_Change();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void send(Transfer kind);
    void receive(Transfer kind);
    void runLocal(LocalOp kind);
    // The window's part of every operation: the host, the prompter and RunAndWait.
    Operation operation();
    // Re-reads both lists, keeping the folder and file selected where they still are.
    void refreshLists();

    void layOutBrowser();
    void layOutLocalOperations();
    void layOutLptOperations();
    void layOutWindow();
    void setTabOrder();

    Platform platform_;
    Prompter& prompter_;
    FileSlot slot1_;
    QPointer<Form2> form2_; // a window of its own, so deleted by hand if still open at the end
    QPointer<ConsoleWindow> console_; // likewise; kept after the run to show its output again
    bool running_ = false;
    int stopGrace_ = 3000;
    double titleLeft_ = 120;
    QString shownDrive_;                 // the drive the lists show, to go back to
    QHash<QString, QString> lastFolder_; // per drive, the folder last open on it
    int ioModeIndex_ = -1;               // Combo1's chosen entry; -1 once the user types
};

} // namespace kestrix
