// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"
#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before any window system is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kestrix %s\n", KESTRIX_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.kestrix.Kestrix"));
    QApplication::setWindowIcon(kestrix::KestrixIcon());

    kestrix::QtPrompter prompter;
    kestrix::Form1 window(kestrix::Platform::fromSystem(), prompter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
