// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"
#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/qtprompter.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.kestrix.Kestrix"));
    QApplication::setWindowIcon(kestrix::KestrixIcon());

    kestrix::QtPrompter prompter;
    kestrix::Form1 window(kestrix::Platform::fromSystem(), prompter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
