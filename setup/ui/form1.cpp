// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include "core/number.h"
#include "core/prompter.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace setup {

namespace {

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

QLabel* label(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
              int height) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    // Scripts set these captions: "<i>" or "&amp;" in them are what they say.
    label->setTextFormat(Qt::PlainText);
    return place(label, name, left, top, width, height);
}

} // namespace

Form1::Form1(const Platform& platform, Prompter& prompter, std::function<void(int)> end,
             QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform), prompter_(prompter), end_(std::move(end)), reader_(script_) {
    if (!end_)
        end_ = [](int status) { QCoreApplication::exit(status); };
    setObjectName(QStringLiteral("Form1"));
    setCaption({});
    setWindowIcon(makeIcon());
    setFixedSize(TwipsToPixels(7815), TwipsToPixels(6315));
    // The design's controls were laid out for an 8-point window font.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);

    Text1 = place(new InfoBox(this), "Text1", 120, 840, 7575, 3975);
    ProgressBar1 = place(new ProgressBar(this), "ProgressBar1", 120, 5640, 6495, 255);
    Command1 =
        place(new QPushButton(QStringLiteral("Install"), this), "Command1", 6720, 5640, 975, 255);
    Check1 = place(new QCheckBox(QStringLiteral("Create a Desktop shortcut?"), this), "Check1", 120,
                   4920, 3255, 255);
    Check1->hide();
    Label1 = label(this, "Label1", "Kestrix Setup, by the Kestrix team", 120, 6000, 7575, 255);
    Label1->setEnabled(false);
    Label2 = label(this, "Label2", "Name", 120, 120, 7575, 375);
    Label2->setFont(TerminalFont(12, true));
    Label3 = label(this, "Label3", "Copyright:", 120, 480, 3855, 255);
    Label3->setEnabled(false);
    Label4 = label(this, "Label4", "Version:", 4080, 480, 3615, 255);
    Label4->setEnabled(false);
    Label5 = label(this, "Label5", "Destination:", 120, 5280, 975, 255);
    Text2 = place(new QLineEdit(this), "Text2", 1200, 5280, 6495, 285);
    Command2 =
        place(new QPushButton(QStringLiteral("Quit"), this), "Command2", 6720, 6000, 975, 255);

    setTabOrder(Text1, ProgressBar1);
    setTabOrder(ProgressBar1, Command1);
    setTabOrder(Command1, Check1);
    setTabOrder(Check1, Text2);
    setTabOrder(Text2, Command2);

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

Form1::~Form1() = default;

bool Form1::Form_Load() {
    const QString folder = platform_.installerFolder;
    QDir::setCurrent(folder);

    QString error;
    if (!unzip_.Start(folder, UnzipCommandLine(), &error))
        return fail(error);

    script_.setFileName(FindNoCase(folder, ScriptName()));
    if (!script_.open(QIODevice::ReadOnly)) {
        if (!script_.exists())
            return fail(QStringLiteral("The setup script \"%1\" was not found in %2.")
                            .arg(ScriptName(), QDir::toNativeSeparators(folder)));
        return fail(QStringLiteral("The setup script \"%1\" could not be opened: %2")
                        .arg(QDir::toNativeSeparators(script_.fileName()), script_.errorString()));
    }
    for (;;) {
        const std::optional<QString> line = reader_.ReadLine();
        if (!line) {
            if (script_.error() != QFileDevice::NoError)
                return fail(
                    QStringLiteral("The setup script \"%1\" could not be read: %2")
                        .arg(QDir::toNativeSeparators(script_.fileName()), script_.errorString()));
            return fail(QStringLiteral("The setup script \"%1\" ends before its line "
                                       "\"ENDHEADER\".")
                            .arg(QDir::toNativeSeparators(script_.fileName())));
        }
        const HeaderLine header = ParseHeaderLine(*line);
        if (header.key == HeaderKey::EndHeader)
            return true;
        if (!applyHeaderLine(header))
            return false;
    }
}

bool Form1::applyHeaderLine(const HeaderLine& line) {
    switch (line.key) {
    case HeaderKey::Name:
        setCaption(line.value + QStringLiteral(" Installer"));
        Label2->setText(line.value);
        break;
    case HeaderKey::Files: {
        const std::optional<int> max = FilesMaximum(line.value);
        if (!max)
            return fail(QStringLiteral("The number of files \"%1\" in the setup script is too "
                                       "large.")
                            .arg(line.value));
        ProgressBar1->SetMax(*max);
        break;
    }
    case HeaderKey::Copyright:
        Label3->setText(QStringLiteral("Copyright ") + line.value);
        break;
    case HeaderKey::Shortcut:
        Text5 = line.value;
        Check1->show();
        Check1->setChecked(true);
        break;
    case HeaderKey::ShortcutName:
        Text4 = line.value;
        break;
    case HeaderKey::Dest:
        Text2->setText(DestinationText(platform_.programFilesRoot, line.value));
        break;
    case HeaderKey::Orig:
        Text3 = line.value;
        break;
    case HeaderKey::Info:
        Text1->Append(InfoText(line.value));
        break;
    case HeaderKey::Version:
        Label4->setText(QStringLiteral("Version ") + line.value);
        break;
    case HeaderKey::None:
    case HeaderKey::EndHeader:
        break;
    }
    return true;
}

void Form1::setCaption(const QString& caption) {
    // Qt reads "[*]" as the place of a modified mark, and shows the program's name for an empty
    // title: the one is doubled to stay literal, the other becomes a blank.
    QString title = caption;
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title.isEmpty() ? QStringLiteral(" ") : title);
}

bool Form1::fail(const QString& text) {
    prompter_.ErrorReport(text);
    ended_ = true;
    end_(1);
    return false;
}

} // namespace setup
