// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include "core/browse.h"
#include "core/cmdline.h"
#include "core/files.h"
#include "core/header.h"
#include "core/imageset.h"
#include "core/join.h"
#include "core/runner.h"
#include "core/split.h"
#include "core/title.h"
#include "ui/console.h"
#include "ui/controls.h"
#include "ui/form2.h"
#include "ui/lists.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <variant>

namespace kestrix {

namespace {

enum class Lettering { Window, Large, Small, Title };

QFont LetteringFont(Lettering lettering, const QFont& window) {
    switch (lettering) {
    case Lettering::Large:
        return TerminalFont(9, false);
    case Lettering::Small:
        return TerminalFont(6, true);
    case Lettering::Title: {
        QFont title(QStringLiteral("Terminal"), 12, QFont::Bold);
        title.setStyleHint(QFont::TypeWriter);
        return title;
    }
    case Lettering::Window:
        break;
    }
    return window;
}

void SetCaption(QGroupBox* box, const QString& caption) {
    box->setTitle(caption);
}
void SetCaption(QAbstractButton* button, const QString& caption) {
    button->setText(caption);
}
void SetCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
}
void SetCaption(QLineEdit* box, const QString& caption) {
    box->setText(caption);
}
void SetCaption(QComboBox* list, const QString& caption) {
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(caption);
}
void SetCaption(QWidget*, const QString&) {}

template <typename W> void ConnectHandler(W* control, Form1* window, void (Form1::*handler)()) {
    if constexpr (std::is_same_v<W, QPushButton>)
        QObject::connect(control, &QPushButton::clicked, window, handler);
    else if constexpr (std::is_same_v<W, FileListBox>)
        QObject::connect(control, &FileListBox::fileClicked, window, handler);
    else if constexpr (std::is_same_v<W, DirListBox> || std::is_same_v<W, DriveListBox>)
        QObject::connect(control, &W::changed, window, handler);
}

} // namespace

Form1::Form1(const Platform& platform, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform), prompter_(prompter) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kestrix ") + VersionCaption());
    setWindowIcon(KestrixIcon());
    setFixedSize(TwipsToPixels(7455), TwipsToPixels(8550));
    // The controls' places in twips were laid out for an 8-point window font.
    QFont windowFont = font();
    windowFont.setPointSize(8);
    setFont(windowFont);
    buildControls();

    // A word from a sum another selection dropped finds the watcher on a newer one, unfinished.
    connect(&gameCheck_, &QFutureWatcherBase::finished, this, [this] {
        if (gameCheck_.isFinished() && !gameCheck_.isCanceled())
            setGameRow(GameRow(checkedGame_, gameCheck_.result()));
    });
    // A typed text chooses no entry; picking one again after typing must count as well.
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Combo1->lineEdit(), &QLineEdit::textEdited, this, &Form1::Combo1_Change);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    // A swapped floppy shows its own files.
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, this,
            &Form1::refreshLists);

    startBrowsing();
    Form_Load();
    File1->setFocus();
    Timer1->start();
}

// Every control of the window, in tab order within its frame: name, caption, place in twips,
// lettering and the handler its click or change calls.
void Form1::buildControls() {
    using Member =
        std::variant<QGroupBox * Form1::*, QPushButton * Form1::*, QLabel * Form1::*,
                     QCheckBox * Form1::*, QComboBox * Form1::*, QLineEdit * Form1::*,
                     DirListBox * Form1::*, DriveListBox * Form1::*, FileListBox * Form1::*>;
    struct Control {
        Member member;
        const char* name;
        QGroupBox* Form1::*frame; // nullptr: on the window itself
        const char* caption;
        int left, top, width, height;
        Lettering lettering;
        void (Form1::*handler)();
    };
    using L = Lettering;
    const Control controls[] = {
        {&Form1::Frame1, "Frame1", nullptr, "File Browser", 120, 0, 7215, 4470, L::Window, {}},
        {&Form1::File1, "File1", &Form1::Frame1, "", 2880, 240, 4215, 3015, L::Window,
         &Form1::File1_Click},
        {&Form1::Dir1, "Dir1", &Form1::Frame1, "", 120, 240, 2295, 3015, L::Window,
         &Form1::Dir1_Change},
        {&Form1::Drive1, "Drive1", &Form1::Frame1, "", 120, 3360, 2295, 315, L::Window,
         &Form1::Drive1_Change},
        {&Form1::Label2, "Label2", &Form1::Frame1, "", 120, 3720, 495, 255, L::Window, {}},
        {&Form1::Label3, "Label3", &Form1::Frame1, "MBit", 600, 3720, 495, 255, L::Window, {}},
        {&Form1::Label4, "Label4", &Form1::Frame1, "Mode", 1200, 3720, 855, 255, L::Window, {}},
        {&Form1::Label5,
         "Label5",
         &Form1::Frame1,
         "Image Type",
         2160,
         3720,
         1095,
         255,
         L::Window,
         {}},
        {&Form1::Label6,
         "Label6",
         &Form1::Frame1,
         "SR-Map-Mode",
         3360,
         3720,
         1335,
         255,
         L::Window,
         {}},
        {&Form1::Label7,
         "Label7",
         &Form1::Frame1,
         "DR-Map-Mode",
         4680,
         3720,
         1335,
         255,
         L::Window,
         {}},
        {&Form1::Label8,
         "Label8",
         &Form1::Frame1,
         "SRAM Size",
         6000,
         3720,
         1095,
         255,
         L::Window,
         {}},
        {&Form1::Label12, "Label12", &Form1::Frame1, "", 120, 3975, 6975, 255, L::Window, {}},
        {&Form1::Frame2,
         "Frame2",
         nullptr,
         "Local Operations",
         120,
         4575,
         7215,
         1215,
         L::Window,
         {}},
        {&Form1::Command1, "Command1", &Form1::Frame2, "Split", 120, 240, 1335, 375, L::Window,
         &Form1::Command1_Click},
        {&Form1::Command2, "Command2", &Form1::Frame2, "Join", 1560, 240, 1335, 375, L::Window,
         &Form1::Command2_Click},
        {&Form1::Command3, "Command3", &Form1::Frame2, "Slowrom Fix", 3000, 240, 1335, 375,
         L::Window, &Form1::Command3_Click},
        {&Form1::Command4, "Command4", &Form1::Frame2, "Fix Checksum", 4440, 240, 1335, 375,
         L::Window, &Form1::Command4_Click},
        {&Form1::Command5, "Command5", &Form1::Frame2, "PAL/NTSC Fix", 5880, 240, 1215, 375,
         L::Window, &Form1::Command5_Click},
        {&Form1::Command7, "Command7", &Form1::Frame2, "Convert to .swc", 120, 720, 3375, 375,
         L::Window, &Form1::Command7_Click},
        {&Form1::Command6, "Command6", &Form1::Frame2, "Split to disk images", 3600, 720, 3495, 375,
         L::Window, &Form1::Command6_Click},
        {&Form1::Command8, "Command8", nullptr, "About", 120, 7215, 7215, 375, L::Window,
         &Form1::Command8_Click},
        {&Form1::Command9, "Command9", nullptr, "Quit", 6000, 8055, 1335, 375, L::Window,
         &Form1::Command9_Click},
        {&Form1::File2, "File2", nullptr, "", 7680, 0, 1215, 1215, L::Window, {}},
        {&Form1::Frame3, "Frame3", nullptr, "LPT Operations", 120, 5895, 7215, 1215, L::Window, {}},
        {&Form1::Command10, "Command10", &Form1::Frame3, "Send ROM", 120, 240, 855, 375, L::Large,
         &Form1::Command10_Click},
        {&Form1::Command11, "Command11", &Form1::Frame3, "Receive ROM", 2160, 240, 1055, 375,
         L::Large, &Form1::Command11_Click},
        {&Form1::Command12, "Command12", &Form1::Frame3, "Send SRAM", 3240, 240, 1175, 375,
         L::Large, &Form1::Command12_Click},
        {&Form1::Command13, "Command13", &Form1::Frame3, "Receive SRAM", 4440, 240, 1175, 375,
         L::Large, &Form1::Command13_Click},
        {&Form1::Command14, "Command14", &Form1::Frame3, "SRAM to cartridge", 5640, 240, 1455, 375,
         L::Large, &Form1::Command14_Click},
        {&Form1::Command15, "Command15", &Form1::Frame3, "SRAM from cartridge", 120, 720, 1655, 375,
         L::Large, &Form1::Command15_Click},
        {&Form1::Command16, "Command16", &Form1::Frame3, "Get RTS Data", 1800, 720, 1175, 375,
         L::Large, &Form1::Command16_Click},
        {&Form1::Command17, "Command17", &Form1::Frame3, "Put RTS Data", 3000, 720, 1175, 375,
         L::Large, &Form1::Command17_Click},
        {&Form1::Combo1,
         "Combo1",
         &Form1::Frame3,
         "SWC: I/O Mode",
         4200,
         720,
         2120,
         375,
         L::Large,
         {}},
        {&Form1::Check1,
         "Check1",
         &Form1::Frame3,
         "Real-Time Save Mode",
         1000,
         240,
         1150,
         375,
         L::Small,
         {}},
        {&Form1::Text1, "Text1", &Form1::Frame3, "378", 6600, 870, 495, 285, L::Small, {}},
        {&Form1::Label10, "Label10", &Form1::Frame3, "LPT Port", 6360, 740, 735, 165, L::Small, {}},
        {&Form1::Label11, "Label11", &Form1::Frame3, "0x", 6360, 910, 240, 255, L::Small, {}},
        {&Form1::Label1, "Label1", nullptr, "Kestrix - ", 120, 8130, 2775, 255, L::Title, {}},
        {&Form1::Label9, "Label9", nullptr, "0", 7440, 8415, 615, 255, L::Window, {}},
    };
    QWidget* previous = nullptr;
    for (const Control& c : controls) {
        std::visit(
            [&](auto member) {
                using W = std::remove_pointer_t<std::remove_reference_t<decltype(this->*member)>>;
                QWidget* frame = c.frame ? static_cast<QWidget*>(this->*c.frame) : this;
                W* control = place(new W(frame), c.name, c.left, c.top, c.width, c.height);
                this->*member = control;
                SetCaption(control, QString::fromLatin1(c.caption));
                control->setFont(LetteringFont(c.lettering, font()));
                if (c.handler)
                    ConnectHandler(control, this, c.handler);
                if (previous && control->focusPolicy() != Qt::NoFocus)
                    QWidget::setTabOrder(previous, control);
                if (control->focusPolicy() != Qt::NoFocus)
                    previous = control;
            },
            c.member);
    }
    Label1->setText(Label1->text() + VersionCaption());
    File1->setPattern(RomPattern());
    File2->setVisible(false);
    // A substitute font may run wider than the raster one; shrink it until the caption fits.
    QFont checkFont = Check1->font();
    while (checkFont.pixelSize() > 6 &&
           QFontMetrics(checkFont).horizontalAdvance(Check1->text()) + 18 > Check1->width())
        checkFont.setPixelSize(checkFont.pixelSize() - 1);
    Check1->setFont(checkFont);
}

// The lists start at the current drive and folder.
void Form1::startBrowsing() {
    const QList<Volume> drives = DriveList(platform_);
    Drive1->setDrives(drives);
    const Volume start = DriveOf(drives, platform_.startFolder);
    Drive1->showDrive(start.drive);
    shownDrive_ = start.drive;
    Dir1->setPath(start.root.isEmpty() ? platform_.startFolder : start.root, platform_.startFolder);
    lastFolder_.insert(shownDrive_, Dir1->path());
    File1->setPath(Dir1->path());
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
    Volume picked = Drive1->volume();
    // The floppy is wherever its disk is mounted now, under the disk's label; with no disk it
    // shows empty until one is mounted (F5 looks again).
    if (picked.drive == floppyDrive()) {
        picked.root = FloppyRoot(platform_);
        if (picked.root.isEmpty()) {
            shownDrive_ = picked.drive;
            Dir1->setPath({}, {});
            File1->setPath({});
            forgetPanel();
            return;
        }
    }
    if (picked.root.isEmpty() || !QFileInfo(picked.root).isDir()) {
        prompter_.message(picked.root.isEmpty()
                              ? NoFloppyMessage()
                              : QStringLiteral("Drive %1 is not ready.").arg(picked.drive));
        Drive1->showDrive(shownDrive_);
        return;
    }
    shownDrive_ = picked.drive;
    QString folder = lastFolder_.value(picked.drive, picked.root);
    const QString root = QDir::cleanPath(picked.root) + u'/';
    if (!QFileInfo(folder).isDir() || !(QDir::cleanPath(folder) + u'/').startsWith(root))
        folder = picked.root;
    Dir1->setPath(picked.root, folder);
    File1->setPath(Dir1->path());
    forgetPanel();
}

void Form1::Dir1_Change() {
    lastFolder_.insert(shownDrive_, Dir1->path());
    File1->setPath(Dir1->path());
    forgetPanel();
}

void Form1::File1_Click() {
    showGame();
    const QString name = File1->fileName();
    // A file that cannot be read, or has no copier header, is shown as unknown: the panel never
    // describes another file than the one selected.
    // A disk image shows the part on it.
    const Result<QByteArray> bytes = IsSmcName(name) ? Result<QByteArray>(QByteArray())
                                                     : IsDiskImageName(name)
                                         ? [&]() -> Result<QByteArray> {
        const Result<DiskFile> part = ReadImagePart(SelectedPath());
        return part ? Result<QByteArray>(part->bytes.left(HeaderBytes))
                    : Result<QByteArray>(Failure{part.error()});
    }()
        : slot1_.ReadStart(SelectedPath(), HeaderBytes);
    showPanel(DecodeHeader(bytes ? *bytes : QByteArray()));
}

void Form1::showPanel(const std::optional<HeaderPanel>& panel) {
    const QString unknown = QStringLiteral("---");
    Label2->setText(panel ? panel->size : unknown);
    Label4->setText(panel ? panel->mode : unknown);
    Label5->setText(panel ? panel->type : unknown);
    Label6->setText(panel ? panel->sramMap : unknown);
    Label7->setText(panel ? panel->dramMap : unknown);
    Label8->setText(panel ? panel->sramSize : unknown);
    panelShown_ = true;
}

// With no file selected any more, the panel no longer shows the one that was.
void Form1::forgetPanel() {
    if (!File1->fileName().isEmpty())
        return;
    showGame();
    if (panelShown_)
        showPanel(std::nullopt);
}

// The game's header is read at once; its checksum reads the whole image, which takes tens of
// seconds on a floppy, so it follows from the pool and is dropped when another file is chosen.
// A file that is no game image shows an empty row and no message.
void Form1::showGame() {
    gameCheck_.cancel();
    gameCheck_.setFuture({});
    const QString path = SelectedPath();
    const Result<GameImage> image = ReadGameImage(path);
    if (image && !image->part) { // the sum runs while the window draws the rest
        checkedGame_ = *image;
        gameCheck_.setFuture(StartChecksum(path, *image));
    }
    setGameRow(image ? GameRow(*image) : QString());
}

void Form1::setGameRow(const QString& text) {
    Label12->setText(Label12->fontMetrics().elidedText(text, Qt::ElideRight, Label12->width()));
    Label12->setToolTip(text);
}

void Form1::Command1_Click() {
    report(Split(operation(), Dir1->path(), File1->fileName()));
    refreshLists(); // the disks may have come and gone
}

void Form1::Command2_Click() {
    report(Join(operation(), Dir1->path(), File1->fileName(), Drive1->drive() == floppyDrive()));
    refreshLists();
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

void Form1::Command6_Click() {
    report(SplitToImages(operation(), Dir1->path(), File1->fileName(), imageFolder_));
}

void Form1::runLocal(LocalOp kind) {
    report(LocalOperation(operation(), kind, slot1_, Dir1->path(), File1->fileName()));
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
    report(Send(operation(), kind, Check1->isChecked(), Dir1->path(), File1->fileName(),
                Text1->text()));
}

void Form1::receive(Transfer kind) {
    report(Receive(operation(), kind, Text1->text(), ioModeIndex_));
}

// The one place an operation's failure reaches the user; a cancel needs no word.
void Form1::report(const Status& outcome) {
    if (!outcome && !outcome.cancelled())
        prompter_.message(outcome.error());
}

QString Form1::SelectedPath() const {
    return JoinPath(Dir1->path(), File1->fileName());
}

Form1::~Form1() {
    gameCheck_.cancel();
    delete copyProgress_.data();
    delete form2_.data();
    delete console_.data();
}

QProgressDialog* Form1::CopyProgress() const {
    return copyProgress_;
}

void Form1::begin(const QString& text, qint64 total, std::function<void()> stop) {
    copyText_ = text;
    copyTotal_ = std::max<qint64>(total, 1);
    delete copyProgress_.data();
    copyProgress_ = new QProgressDialog(this);
    copyProgress_->setWindowTitle(QStringLiteral("Kestrix"));
    copyProgress_->setAutoClose(false);
    copyProgress_->setAutoReset(false);
    copyProgress_->setMinimumDuration(0);
    copyProgress_->setRange(0, 1000); // an int bar, whatever the size
    connect(copyProgress_, &QProgressDialog::canceled, this, std::move(stop));
    copyBlocker_ = std::make_unique<InputBlocker>(*this);
    running_ = true; // not closed under the copy
    advance(0);
    copyProgress_->show();
}

void Form1::advance(qint64 done) {
    if (!copyProgress_ || copyProgress_->wasCanceled())
        return;
    copyProgress_->setLabelText(QStringLiteral("%1\n%2 of %3 bytes")
                                    .arg(copyText_, BytesText(done), BytesText(copyTotal_)));
    copyProgress_->setValue(static_cast<int>(done * 1000 / copyTotal_));
}

void Form1::end() {
    delete copyProgress_.data();
    copyBlocker_.reset();
    running_ = false;
    refreshLists();
}

ConsoleWindow* Form1::ToolWindow() const {
    return console_;
}

Form2* Form1::AboutWindow() const {
    return form2_;
}

void Form1::closeEvent(QCloseEvent* event) {
    if (running_)
        event->ignore();
    else
        event->accept();
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
            },
            this};
}

RunResult Form1::RunAndWait(const QString& CommandLine) {
    ToolProcess tool;
    tool.setGrace(stopGrace_);
    tool.setEcho(platform_.terminal);
    if (!tool.start(CommandLine, platform_.programFolder))
        return tool.result();
    delete console_.data();
    console_ = new ConsoleWindow(tool, QDir::currentPath());
    // The title stands where it is until the tool has ended.
    running_ = true;
    Timer1->stop();
    console_->waitFor(tool, *this);
    Q_EMIT toolEnded();
    Timer1->start();
    running_ = false;
    refreshLists();
    return tool.result();
}

void Form1::refreshLists() {
    // A disk taken out, or another mounted under its own label, shows as it is now.
    if (shownDrive_ == floppyDrive()) {
        const QString root = FloppyRoot(platform_), here = Dir1->path();
        if (root.isEmpty() || !(here == root || here.startsWith(root + u'/'))) {
            Dir1->setPath(root, root);
            File1->setPath(root);
            forgetPanel();
            return;
        }
    }
    const int savedIndex = File1->listIndex();
    const QString savedName = File1->fileName();
    Dir1->refresh();
    File1->refresh();
    const int again = FindReselection(File1->fileNames(), savedIndex, savedName);
    if (again >= 0)
        File1->setListIndex(again);
    else
        forgetPanel();
}

} // namespace kestrix
