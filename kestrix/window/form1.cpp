// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include "about/form2.h"
#include "header/header.h"
#include "ops/join.h"
#include "ops/local.h"
#include "ops/split.h"
#include "tool/cmdline.h"
#include "tool/runner.h"
#include "transfer/lpt.h"
#include "window/browse.h"
#include "window/console.h"
#include "window/controls.h"
#include "window/lists.h"
#include "window/title.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace kestrix {

namespace {

// A command button of the design's height (375 twips).
QPushButton* button(QWidget* frame, const char* name, const char* caption, int left, int top,
                    int width) {
    return place(new QPushButton(QString::fromLatin1(caption), frame), name, left, top, width, 375);
}

} // namespace

Form1::Form1(const Platform& platform, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform), prompter_(prompter) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kestrix v1.2"));
    setWindowIcon(KestrixIcon());
    setFixedSize(TwipsToPixels(7455), TwipsToPixels(8295));
    // The design's controls were laid out for an 8-point window font.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);

    layOutBrowser();
    layOutLocalOperations();
    layOutLptOperations();
    layOutWindow();
    setTabOrder();

    connect(Drive1, &DriveListBox::changed, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::changed, this, &Form1::Dir1_Change);
    connect(File1, &FileListBox::fileClicked, this, &Form1::File1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    // A typed text chooses no entry; picking one again after typing must count as well.
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Combo1->lineEdit(), &QLineEdit::textEdited, this, &Form1::Combo1_Change);
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(Command13, &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Command17, &QPushButton::clicked, this, &Form1::Command17_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    // A swapped floppy shows its own files.
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, this,
            &Form1::refreshLists);

    Form_Load();
    File1->setFocus();
    Timer1->start();
}

void Form1::layOutBrowser() {
    Frame1 =
        place(new QGroupBox(QStringLiteral("File Browser"), this), "Frame1", 120, 0, 7215, 4215);
    Dir1 = place(new DirListBox(Frame1), "Dir1", 120, 240, 2295, 3015);
    Drive1 = place(new DriveListBox(Frame1), "Drive1", 120, 3360, 2295, 315);
    File1 = place(new FileListBox(Frame1), "File1", 2880, 240, 4215, 3015);
    File1->setPattern(RomPattern());

    const auto panel = [this](const char* name, const char* caption, int left, int width) {
        return place(new QLabel(QString::fromLatin1(caption), Frame1), name, left, 3720, width,
                     255);
    };
    Label2 = panel("Label2", "", 120, 495);
    Label3 = panel("Label3", "MBit", 600, 495);
    Label4 = panel("Label4", "Mode", 1200, 855);
    Label5 = panel("Label5", "Image Type", 2160, 1095);
    Label6 = panel("Label6", "SR-Map-Mode", 3360, 1335);
    Label7 = panel("Label7", "DR-Map-Mode", 4680, 1335);
    Label8 = panel("Label8", "SRAM Size", 6000, 1095);

    // The lists start at the current drive and folder.
    const QList<Volume> drives = DriveList(platform_);
    Drive1->setDrives(drives);
    const Volume start = DriveOf(drives, platform_.startFolder);
    Drive1->showDrive(start.drive);
    shownDrive_ = start.drive;
    Dir1->setPath(start.root.isEmpty() ? platform_.startFolder : start.root, platform_.startFolder);
    lastFolder_.insert(shownDrive_, Dir1->path());
    File1->setPath(Dir1->path());
}

void Form1::layOutLocalOperations() {
    Frame2 = place(new QGroupBox(QStringLiteral("Local Operations"), this), "Frame2", 120, 4320,
                   7215, 1215);
    Command1 = button(Frame2, "Command1", "Split", 120, 240, 1335);
    Command2 = button(Frame2, "Command2", "Join", 1560, 240, 1335);
    Command3 = button(Frame2, "Command3", "Slowrom Fix", 3000, 240, 1335);
    Command4 = button(Frame2, "Command4", "Fix Checksum", 4440, 240, 1335);
    Command5 = button(Frame2, "Command5", "PAL/NTSC Fix", 5880, 240, 1215);
    Command7 = button(Frame2, "Command7", "Convert to .swc", 120, 720, 3375);
}

void Form1::layOutLptOperations() {
    Frame3 = place(new QGroupBox(QStringLiteral("LPT Operations"), this), "Frame3", 120, 5640, 7215,
                   1215);
    const QFont buttonFont = TerminalFont(9, false);
    const QFont smallFont = TerminalFont(6, true);
    Command10 = button(Frame3, "Command10", "Send ROM", 120, 240, 855);
    Check1 = place(new QCheckBox(QStringLiteral("Real-Time Save Mode"), Frame3), "Check1", 1000,
                   240, 1150, 375);
    // A substitute font may run wider than the raster one; shrink it until the caption fits.
    QFont checkFont = smallFont;
    while (checkFont.pixelSize() > 6 &&
           QFontMetrics(checkFont).horizontalAdvance(Check1->text()) + 18 > Check1->width())
        checkFont.setPixelSize(checkFont.pixelSize() - 1);
    Check1->setFont(checkFont);
    Command11 = button(Frame3, "Command11", "Receive ROM", 2160, 240, 1055);
    Command12 = button(Frame3, "Command12", "Send SRAM", 3240, 240, 1175);
    Command13 = button(Frame3, "Command13", "Receive SRAM", 4440, 240, 1175);
    Command14 = button(Frame3, "Command14", "SRAM to cartridge", 5640, 240, 1455);
    Command15 = button(Frame3, "Command15", "SRAM from cartridge", 120, 720, 1655);
    Command16 = button(Frame3, "Command16", "Get RTS Data", 1800, 720, 1175);
    Command17 = button(Frame3, "Command17", "Put RTS Data", 3000, 720, 1175);

    Combo1 = place(new QComboBox(Frame3), "Combo1", 4200, 720, 2120, 375);
    // The frame's buttons and list use the larger lettering, its small controls the smaller.
    for (QWidget* w : Frame3->findChildren<QPushButton*>())
        w->setFont(buttonFont);
    Combo1->setFont(buttonFont);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);

    Label10 = place(new QLabel(QStringLiteral("LPT Port"), Frame3), "Label10", 6360, 740, 735, 165);
    Label11 = place(new QLabel(QStringLiteral("0x"), Frame3), "Label11", 6360, 910, 240, 255);
    Text1 = place(new QLineEdit(QStringLiteral("378"), Frame3), "Text1", 6600, 870, 495, 285);
    for (QWidget* w : {static_cast<QWidget*>(Label10), static_cast<QWidget*>(Label11),
                       static_cast<QWidget*>(Text1)})
        w->setFont(smallFont);
}

void Form1::layOutWindow() {
    Command8 =
        place(new QPushButton(QStringLiteral("About"), this), "Command8", 120, 6960, 7215, 375);
    Label1 =
        place(new QLabel(QStringLiteral("Kestrix - v1.2"), this), "Label1", 120, 7875, 2775, 255);
    QFont title(QStringLiteral("Terminal"), 12, QFont::Bold);
    title.setStyleHint(QFont::TypeWriter);
    Label1->setFont(title);
    Command9 =
        place(new QPushButton(QStringLiteral("Quit"), this), "Command9", 6000, 7800, 1335, 375);
    Label9 = place(new QLabel(QStringLiteral("0"), this), "Label9", 7440, 8160, 615, 255);
    File2 = place(new FileListBox(this), "File2", 7680, 0, 1215, 1215);
    File2->setVisible(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
}

void Form1::setTabOrder() {
    const QList<QWidget*> order{File1,     Dir1,      Drive1,    Command1,  Command2,  Command3,
                                Command4,  Command5,  Command7,  Command8,  Command9,  File2,
                                Command10, Command11, Command12, Command13, Command14, Command15,
                                Command16, Command17, Combo1,    Check1,    Text1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::Form_Load() {
    Combo1->addItems({QStringLiteral("Force 32MBit Dump"),
                      QStringLiteral("Alt. ROM Size detection"), QStringLiteral("Super FX"),
                      QStringLiteral("S-DD1"), QStringLiteral("SA-1"), QStringLiteral("SPC7110"),
                      QStringLiteral("DX2-Trick"), QStringLiteral("MegaMan X2"),
                      QStringLiteral("Dump SWC BIOS"), QStringLiteral("044 (eg. Yoshi's Island)")});
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("SWC: I/O Mode"));
}

void Form1::Timer1_Timer() {
    const TitleState next = TitleStep({Label9->text(), titleLeft_});
    Label9->setText(next.phase);
    titleLeft_ = next.left;
    Label1->move(TwipsToPixels(titleLeft_), Label1->y());
}

void Form1::Drive1_Change() {
    const Volume picked = Drive1->volume();
    if (picked.root.isEmpty() || !QFileInfo(picked.root).isDir()) {
        prompter_.message(picked.root.isEmpty()
                              ? NoFloppyMessage()
                              : QStringLiteral("Drive %1 is not ready.").arg(picked.drive));
        Drive1->showDrive(shownDrive_);
        return;
    }
    shownDrive_ = picked.drive;
    QString folder = lastFolder_.value(picked.drive, picked.root);
    if (!QFileInfo(folder).isDir())
        folder = picked.root;
    Dir1->setPath(picked.root, folder);
    File1->setPath(Dir1->path());
}

void Form1::Dir1_Change() {
    lastFolder_.insert(shownDrive_, Dir1->path());
    File1->setPath(Dir1->path());
}

void Form1::File1_Click() {
    const QString name = File1->fileName();
    if (IsSmcName(name)) {
        for (QLabel* label : {Label4, Label5, Label6, Label7, Label8, Label2})
            label->setText(QStringLiteral("---"));
        return;
    }
    // A file that cannot be read, or has no copier header, leaves the panel as it was.
    const std::optional<HeaderPanel> panel =
        DecodeHeader(slot1_.ReadStart(SelectedPath(), HeaderBytes).value_or(QByteArray()));
    if (!panel)
        return;
    Label2->setText(panel->size);
    Label4->setText(panel->mode);
    Label5->setText(panel->type);
    Label6->setText(panel->sramMap);
    Label7->setText(panel->dramMap);
    Label8->setText(panel->sramSize);
}

void Form1::Command1_Click() {
    Split(operation(), Dir1->path(), File1->fileName());
}

void Form1::Command2_Click() {
    Join(operation(), Dir1->path(), File1->fileName(), Drive1->drive() == floppyDrive());
}

void Form1::Command3_Click() {
    runLocal(LocalOp::SlowRom);
}

void Form1::Command4_Click() {
    runLocal(LocalOp::Checksum);
}

void Form1::Command5_Click() {
    runLocal(LocalOp::PalNtsc);
}

void Form1::Command7_Click() {
    runLocal(LocalOp::Convert);
}

void Form1::runLocal(LocalOp kind) {
    LocalOperation(operation(), kind, slot1_, Dir1->path(), File1->fileName());
}

void Form1::Combo1_Click(int index) {
    ioModeIndex_ = index;
}

void Form1::Combo1_Change() {
    ioModeIndex_ = -1;
}

void Form1::Command10_Click() {
    send(Transfer::Rom);
}

void Form1::Command11_Click() {
    receive(Transfer::Rom);
}

void Form1::Command12_Click() {
    send(Transfer::Sram);
}

void Form1::Command13_Click() {
    receive(Transfer::Sram);
}

void Form1::Command14_Click() {
    send(Transfer::CartSram);
}

void Form1::Command15_Click() {
    receive(Transfer::CartSram);
}

void Form1::Command16_Click() {
    receive(Transfer::Rts);
}

void Form1::Command17_Click() {
    send(Transfer::Rts);
}

void Form1::send(Transfer kind) {
    Send(operation(), kind, Check1->isChecked(), Dir1->path(), File1->fileName(), Text1->text());
}

void Form1::receive(Transfer kind) {
    Receive(operation(), kind, Text1->text(), ioModeIndex_);
}

QString Form1::SelectedPath() const {
    return JoinPath(Dir1->path(), File1->fileName());
}

Form1::~Form1() {
    delete form2_.data();
    delete console_.data();
}

ConsoleWindow* Form1::ToolWindow() const {
    return console_;
}

void Form1::closeEvent(QCloseEvent* event) {
    if (running_)
        event->ignore();
    else
        event->accept();
}

Form2* Form1::AboutWindow() const {
    return form2_;
}

// The About window gives the main window back when it closes.
void Form1::Command8_Click() {
    if (!form2_)
        form2_ = new Form2(*this);
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
    setEnabled(false);
}

void Form1::Command9_Click() {
    close();
}

Operation Form1::operation() {
    return {platform_, prompter_, [this](const QString& line) { return RunAndWait(line); },
            [this] {
                if (console_) {
                    console_->show();
                    console_->raise();
                }
            }};
}

namespace {

// Drops every click and key meant for one window, so that nothing done there while the tool
// runs is acted on, then or later.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu: {
            const auto* widget = qobject_cast<const QWidget*>(watched);
            return widget && widget->window() == window_;
        }
        default:
            return false;
        }
    }

private:
    QWidget* window_;
};

} // namespace

RunResult Form1::RunAndWait(const QString& CommandLine) {
    ToolProcess tool;
    tool.setGrace(stopGrace_);
    tool.setEcho(platform_.terminal);
    if (!tool.start(CommandLine, platform_.programFolder)) {
        prompter_.message(StartFailureMessage(tool.result(), platform_.programFolder));
        return tool.result();
    }
    delete console_.data();
    console_ = new ConsoleWindow(tool, QDir::currentPath());
    // The event loop goes on so both windows repaint, but the main window takes no input and its
    // title stands where it is until the tool has ended. A run long enough to be seen brings the
    // console window up in front and greys the main window; one that ends at once flashes neither.
    const InputBlocker blocker(this);
    running_ = true;
    Timer1->stop();
    QTimer seen;
    seen.setSingleShot(true);
    connect(&seen, &QTimer::timeout, this, [this] {
        setEnabled(false);
        console_->show();
        console_->raise();
        console_->activateWindow();
    });
    seen.start(100);
    QEventLoop loop;
    connect(&tool, &ToolProcess::finished, &loop, &QEventLoop::quit);
    if (tool.running())
        loop.exec();
    seen.stop();
    console_->ended(tool.result());
    Timer1->start();
    setEnabled(true);
    running_ = false;
    refreshLists();
    return tool.result();
}

void Form1::refreshLists() {
    const int savedIndex = File1->listIndex();
    const QString savedName = File1->fileName();
    Dir1->refresh();
    File1->refresh();
    const int again = FindReselection(File1->fileNames(), savedIndex, savedName);
    if (again >= 0)
        File1->setListIndex(again);
}

} // namespace kestrix
