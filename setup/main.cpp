// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"
#include "ui/form1.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <csignal>

int main(int argc, char* argv[]) {
    // A file-size limit then fails the write with a message instead of killing the installer.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Setup"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRIX_VERSION));

    setup::QtPrompter prompter;
    setup::Form1 window(setup::Platform::fromSystem(), prompter);
    if (!window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
