// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/result.h"

#include <QString>

namespace setup {

// Writes a shortcut named shortcutname into the named special folder: a desktop entry, marked
// executable, that starts TargetPath in WorkPath, with TargetPath's icon number IconNum and the
// window style riding along as extension keys.
[[nodiscard]] Status Create_ShortCut(const Platform& platform, QString TargetPath,
                                     QString ShortCutPath, QString shortcutname, QString WorkPath,
                                     qint16 Window_Style, qint16 IconNum);

} // namespace setup
