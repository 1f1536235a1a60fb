// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include "core/cleanup.h"
#include "core/install.h"
#include "core/startup.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace setup {

namespace {

enum class Kind { InfoBox, ProgressBar, Button, CheckBox, Label, TextBox };
enum class Font { Dialog, CourierNew, Terminal };
enum class State { Normal, Disabled, Hidden };

struct Control {
    const char* name;
    Kind kind;
    const char* caption;
    int left, top, width, height; // twips
    Font font;
    State state;
    void (Form1::*handler)();
};

// In the order of their tab index.
constexpr Control Controls[] = {
    {"Text1", Kind::InfoBox, "", 120, 840, 7575, 3975, Font::CourierNew, State::Normal, nullptr},
    {"ProgressBar1", Kind::ProgressBar, "", 120, 5640, 6495, 255, Font::Dialog, State::Normal,
     nullptr},
    {"Command1", Kind::Button, "Install", 6720, 5640, 975, 255, Font::Dialog, State::Normal,
     &Form1::Command1_Click},
    {"Check1", Kind::CheckBox, "Create a Desktop shortcut?", 120, 4920, 3255, 255, Font::Dialog,
     State::Hidden, nullptr},
    {"Label1", Kind::Label, "Kestrix Setup, by the Kestrix team", 120, 6000, 7575, 255,
     Font::Dialog, State::Disabled, nullptr},
    {"Label2", Kind::Label, "Name", 120, 120, 7575, 375, Font::Terminal, State::Normal, nullptr},
    {"Label3", Kind::Label, "Copyright:", 120, 480, 3855, 255, Font::Dialog, State::Disabled,
     nullptr},
    {"Label4", Kind::Label, "Version:", 4080, 480, 3615, 255, Font::Dialog, State::Disabled,
     nullptr},
    {"Label5", Kind::Label, "Destination:", 120, 5280, 975, 255, Font::Dialog, State::Normal,
     nullptr},
    {"Text2", Kind::TextBox, "", 1200, 5280, 6495, 285, Font::Dialog, State::Normal, nullptr},
    {"Command2", Kind::Button, "Quit", 6720, 6000, 975, 255, Font::Dialog, State::Normal,
     &Form1::Command2_Click},
};

QWidget* build(Form1& form, const Control& control) {
    const QString caption = QString::fromLatin1(control.caption);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case Kind::InfoBox:
        widget = new InfoBox(&form);
        break;
    case Kind::ProgressBar:
        widget = new ProgressBar(&form);
        break;
    case Kind::Button: {
        auto* button = new QPushButton(caption, &form);
        QObject::connect(button, &QPushButton::clicked, &form, control.handler);
        widget = button;
        break;
    }
    case Kind::CheckBox:
        widget = new QCheckBox(caption, &form);
        break;
    case Kind::Label: {
        auto* label = new QLabel(caption, &form);
        // Scripts set these captions: "<i>" or "&amp;" in them are what they say.
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case Kind::TextBox:
        widget = new QLineEdit(caption, &form);
        break;
    }
    widget->setObjectName(QString::fromLatin1(control.name));
    widget->setGeometry(TwipsToPixels(control.left), TwipsToPixels(control.top),
                        TwipsToPixels(control.width), TwipsToPixels(control.height));
    if (control.font == Font::CourierNew) {
        QFont courier(QStringLiteral("Courier New"));
        courier.setStyleHint(QFont::TypeWriter);
        courier.setPointSizeF(9.75);
        widget->setFont(courier);
    } else if (control.font == Font::Terminal) {
        widget->setFont(TerminalFont(12, true));
    }
    widget->setEnabled(control.state != State::Disabled);
    widget->setHidden(control.state == State::Hidden);
    return widget;
}

template <typename W> W* child(const Form1& form, const char* name) {
    return form.findChild<W*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QIcon makeIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(0x00, 0x60, 0x40));
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    painter.drawRect(3, 3, 25, 25);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("S"));
    return QIcon(pixmap);
}

} // namespace

Form1::Form1(const Platform& platform, Prompter& prompter, std::function<void(int)> end)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform), prompter_(prompter), end_(std::move(end)) {
    if (!end_)
        end_ = [](int status) { QCoreApplication::exit(status); };
    setObjectName(QStringLiteral("Form1"));
    setCaption({});
    setWindowIcon(makeIcon());
    setFixedSize(TwipsToPixels(7815), TwipsToPixels(6315));
    // The controls' places in twips were laid out for an 8-point window font.
    QFont windowFont = font();
    windowFont.setPointSize(8);
    setFont(windowFont);

    QWidget* previous = nullptr;
    for (const Control& control : Controls) {
        QWidget* widget = build(*this, control);
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    Text1 = child<InfoBox>(*this, "Text1");
    ProgressBar1 = child<ProgressBar>(*this, "ProgressBar1");
    Command1 = child<QPushButton>(*this, "Command1");
    Check1 = child<QCheckBox>(*this, "Check1");
    Label1 = child<QLabel>(*this, "Label1");
    Label2 = child<QLabel>(*this, "Label2");
    Label3 = child<QLabel>(*this, "Label3");
    Label4 = child<QLabel>(*this, "Label4");
    Label5 = child<QLabel>(*this, "Label5");
    Text2 = child<QLineEdit>(*this, "Text2");
    Command2 = child<QPushButton>(*this, "Command2");
}

Form1::~Form1() = default;

Status Form1::Form_Load() {
    const Result<Header> header = StartUp(platform_, unzip_, script_, prompter_);
    if (!header) {
        end(1);
        return Failure{header.error()};
    }
    showHeader(*header);
    return {};
}

void Form1::showHeader(const Header& header) {
    if (header.caption)
        setCaption(*header.caption);
    for (const auto& [label, text] :
         {std::pair{Label2, header.name}, {Label3, header.copyright}, {Label4, header.version}})
        if (text)
            label->setText(*text);
    if (header.destination)
        Text2->setText(*header.destination);
    Text3 = header.source.value_or(Text3);
    Text4 = header.shortcutName.value_or(Text4);
    if (header.shortcutTarget) {
        Text5 = *header.shortcutTarget;
        Check1->show();
        Check1->setChecked(true);
    }
    if (header.files)
        ProgressBar1->SetMax(*header.files);
    Text1->Append(header.info);
}

void Form1::Command1_Click() {
    const Installation run{
        platform_, prompter_, script_, [this] { return waitForUnzip(); },
        [this](const QString& text) { Text1->Append(text); },
        // Adds at the very end whatever the selection, as re-setting the whole text would,
        // without laying out again the thousands of lines a large run has logged.
        [this](const QString& text) {
            Text1->CaretToEnd();
            Text1->Append(text);
        },
        [this] { ProgressBar1->SetValue(ProgressBar1->Value() + 1); }};
    if (!Install(run, {Text2->text(), Text3, Text5, Text4, Check1->isChecked()}))
        end(1);
}

void Form1::Command2_Click() {
    close();
}

void Form1::closeEvent(QCloseEvent* event) {
    // After a failure the installer ends as it is: its files stay for another try.
    event->accept();
    if (ended_)
        return;
    CleanUp(platform_.installerFolder, Text3);
    // A tool window does not count as the application's last window, so end it here.
    end(0);
}

Status Form1::waitForUnzip() {
    if (!unzip_.Running())
        return unzip_.WaitForEnd();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Status unpacked = unzip_.WaitForEnd();
    QGuiApplication::restoreOverrideCursor();
    return unpacked;
}

void Form1::setCaption(const QString& caption) {
    // Qt reads "[*]" as the place of a modified mark, and shows the program's name for an empty
    // title: the one is doubled to stay literal, the other becomes a blank.
    QString title = caption;
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title.isEmpty() ? QStringLiteral(" ") : title);
}

void Form1::end(int status) {
    ended_ = true;
    end_(status);
}

} // namespace setup
