// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"
#include "ui/form1.h"
#include "ui/qtprompter.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
