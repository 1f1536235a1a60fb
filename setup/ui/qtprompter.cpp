// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtprompter.h"

#include <QMessageBox>

namespace setup {

void QtPrompter::ErrorReport(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Setup"), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText); // reports quote names from the script and the disk
    box.exec();
}

} // namespace setup
