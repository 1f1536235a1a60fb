// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace setup {

Platform Platform::fromSystem() {
    return {QCoreApplication::applicationDirPath(), QStringLiteral("/opt/"),
            QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)};
}

} // namespace setup
