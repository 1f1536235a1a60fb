// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileslot.h"
#include "core/gameheader.h"
#include "core/header.h"
#include "core/local.h"
#include "core/operation.h"
#include "core/platform.h"
#include "core/prompter.h"
#include "core/transfer.h"

#include <QFutureWatcher>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTimer;

namespace kestrix {

class ConsoleWindow;
class InputBlocker;
class DirListBox;
class DriveListBox;
class FileListBox;
class Form2;

// The main window. Its controls are the program's whole state; every handler reads them afresh
// and hands the work to an operation of the logic library.
class Form1 : public QWidget, private Progress {
    Q_OBJECT
public:
    Form1(const Platform& platform, Prompter& prompter, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs a command line for the tool in its console window and waits for it, the window taking
    // no input meanwhile, then re-reads both lists keeping the folder and file selected. A run
    // that failed says why in its window; one that could not be started, in its reason().
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
    // The bar of a floppy copy while it runs.
    QProgressDialog* CopyProgress() const;

    QGroupBox* Frame1;    // "File Browser"
    DirListBox* Dir1;     // the folder list
    DriveListBox* Drive1; // the drive list
    FileListBox* File1;   // the file list
    QLabel* Label2;       // the size in Mbit
    QLabel* Label3;       // "MBit"
    QLabel* Label4;       // "Mode"
    QLabel* Label5;       // "Image Type"
    QLabel* Label6;       // "SR-Map-Mode"
    QLabel* Label7;       // "DR-Map-Mode"
    QLabel* Label8;       // "SRAM Size"
    QLabel* Label12;      // the game's own header, decoded

    QGroupBox* Frame2;     // "Local Operations"
    QPushButton* Command1; // "Split"
    QPushButton* Command2; // "Join"
    QPushButton* Command3; // "Slowrom Fix"
    QPushButton* Command4; // "Fix Checksum"
    QPushButton* Command5; // "PAL/NTSC Fix"
    QPushButton* Command7; // "Convert to .swc"
    QPushButton* Command6; // "Split to disk images"

    QGroupBox* Frame3;      // "LPT Operations"
    QPushButton* Command10; // "Send ROM"
    QCheckBox* Check1;      // "Real-Time Save Mode"
    QPushButton* Command11; // "Receive ROM"
    QPushButton* Command12; // "Send SRAM"
    QPushButton* Command13; // "Receive SRAM"
    QPushButton* Command14; // "SRAM to cartridge"
    QPushButton* Command15; // "SRAM from cartridge"
    QPushButton* Command16; // "Get RTS Data"
    QPushButton* Command17; // "Put RTS Data"
    QComboBox* Combo1;      // "SWC: I/O Mode"
    QLabel* Label10;        // "LPT Port"
    QLabel* Label11;        // "0x"
    QLineEdit* Text1;       // the port, "378"

    QPushButton* Command8; // "About"
    QLabel* Label1;        // "Kestrix - v1.2", the swinging title
    QPushButton* Command9; // "Quit"
    QLabel* Label9;        // "0", the title's phase, out of sight
    FileListBox* File2;    // never shown
    QTimer* Timer1;        // the title's 10 ms tick

    // Public so tests can fire the timer without waiting for it.
    void Timer1_Timer();

Q_SIGNALS:
    // The tool has ended; what it left is as it left it, before the operation judges it.
    void toolEnded();

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
    void Command6_Click();
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

    void buildControls();
    // Label2 and Label4 to Label8 for the selected file; "---" for a file that has no copier
    // header or cannot be read.
    void showPanel(const std::optional<HeaderPanel>& panel);
    void forgetPanel();
    void startBrowsing();
    void send(Transfer kind);
    void receive(Transfer kind);
    void runLocal(LocalOp kind);
    void report(const Status& outcome);
    // A floppy copy: the bar, the window waiting like for a run of the tool.
    void begin(const QString& text, qint64 total, std::function<void()> stop) override;
    void advance(qint64 done) override;
    void end() override;
    // The window's part of every operation: the host, the prompter and RunAndWait.
    Operation operation();
    // Re-reads both lists, keeping the folder and file selected where they still are.
    void refreshLists();
    // Label12 for the selected file, its checksum following from a thread of the pool.
    void showGame();
    void setGameRow(const QString& text);

    Platform platform_;
    Prompter& prompter_;
    FileSlot slot1_;
    QPointer<Form2> form2_;           // a window of its own, so deleted by hand at the end
    QPointer<ConsoleWindow> console_; // likewise; kept after the run to show its output again
    bool running_ = false;
    bool panelShown_ = false; // the panel has shown a file, so it must follow the selection
    int stopGrace_ = 3000;
    double titleLeft_ = 120;
    QString shownDrive_;                        // the drive the lists show, to go back to
    QHash<QString, QString> lastFolder_;        // per drive, the folder last open on it
    QString imageFolder_;                       // the last folder disk images went to
    int ioModeIndex_ = -1;                      // Combo1's chosen entry; -1 once the user types
    QFutureWatcher<Result<quint16>> gameCheck_; // the selected image's checksum
    GameImage checkedGame_;                     // the image it is of
    QPointer<QProgressDialog> copyProgress_;
    std::unique_ptr<InputBlocker> copyBlocker_;
    QString copyText_;
    qint64 copyTotal_ = 0;
};

} // namespace kestrix
