// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form2.h"

#include "core/credit.h"
#include "core/title.h"
#include "ui/controls.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace kestrix {

namespace {

struct Line {
    int index, left, top, width, height;
    bool bold;
    const char* text;
};

// In the order the labels stand on the window.
constexpr Line Lines[] = {
    {9, 120, 120, 7215, 255, true,
     "=== Kestrix %1 === (Public Beta) === Now with LPT port Transfer support!"},
    {0, 120, 480, 7095, 615, true,
     "Thank you for using Kestrix, made by the Kestrix team! We would like to hear what you "
     "think of it, good or bad: please tell us through one of the ways below."},
    {1, 120, 1320, 2415, 255, true, "* E-Mail * See contact page *"},
    {2, 120, 1560, 2535, 255, true, "* XMPP * See contact page *"},
    {3, 120, 1800, 2535, 255, true, "* Matrix * See contact page *"},
    {4, 4560, 1320, 2535, 255, true, "* Forum * See contact page *"},
    {5, 4560, 1560, 2535, 255, true, "* Mailing list * See contact page *"},
    {6, 4560, 1800, 2535, 255, true, "* IRC * See contact page *"},
    {7, 120, 2160, 6855, 255, true,
     "Every way to reach us is also listed on the Kestrix web site:"},
    {8, 120, 2400, 6975, 255, true, "https://kestrix.example.org  -  /contact  -  /download"},
    {10, 120, 2640, 6735, 375, false,
     "Kestrix splits and joins ROM images, fixes and converts them, and sends and receives "
     "ROM, SRAM and RTS files to and from your Super Wild Card."},
    {11, 120, 3120, 6735, 375, false,
     "Also by the Kestrix team: Kestrix Setup, the small installer that put this program on "
     "your disk. See our web site for more."},
};

// White lettering on the classic scheme's dark menu and window text colours.
void paintOpaque(QLabel* label, QColor ground) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ground);
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

Form2::Form2(QWidget& mainWindow)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow), creditTop_(CreditTop) {
    // Not the main window's child: disabling the main window would disable this one too.
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Kestrix"));
    setFixedSize(TwipsToPixels(7275), TwipsToPixels(4380));
    QPalette ground = palette();
    ground.setColor(QPalette::Window, Qt::black);
    setPalette(ground);
    setAutoFillBackground(true);

    for (const Line& line : Lines) {
        QString text = QString::fromUtf8(line.text);
        text.replace(QStringLiteral("%1"), VersionCaption());
        QLabel* label = place(new QLabel(text, this), QStringLiteral("Label3_%1").arg(line.index),
                              line.left, line.top, line.width, line.height);
        label->setFont(TerminalFont(9, line.bold));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        paintOpaque(label, Qt::black);
        Label3[static_cast<std::size_t>(line.index)] = label;
    }
    Label1 = place(new QLabel(QStringLiteral("Developed in 2026 by the Kestrix team"), this),
                   "Label1", 0, static_cast<int>(CreditTop), 7455, 375);
    Label1->setFont(TerminalFont(12, true));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    paintOpaque(Label1, Qt::black);
    // Below the client area: the phase is kept as text, out of sight.
    Label2 = place(new QLabel(QStringLiteral("0"), this), "Label2", 3000, 4560, 495, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    Timer1->start();
}

void Form2::Timer1_Timer() {
    const CreditState next = CreditStep({Label2->text(), creditTop_});
    Label2->setText(next.phase);
    creditTop_ = next.top;
    Label1->move(Label1->x(), TwipsToPixels(creditTop_));
}

void Form2::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    mainWindow_.setEnabled(true);
    mainWindow_.show();
    mainWindow_.raise();
    mainWindow_.activateWindow();
    event->accept();
}

} // namespace kestrix
