// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace kestrix {

// The file list's pattern: ";"-separated wildcards, matched without regard to case.
inline QString RomPattern() {
    return QStringLiteral(
        "*.swc;*.smc;*.1;*.2;*.3;*.4;*.5;*.6;*.7;*.8;*.9;*.10;*.bak;*.tmp;*.048;*.SFC;*.img");
}

// Names of the plain, non-hidden files of a folder that match the pattern (empty: all files),
// sorted by name without regard to case.
QStringList ListFiles(const QString& folder, const QString& pattern);

struct FolderEntry {
    QString path;
    QString name;
    int depth = 0;        // indentation level
    bool isChain = false; // on the way from the root to the current folder (inclusive)
};

// The folder list's entries: the chain of folders from the root down to the current folder, then
// the current folder's sub-folders (not hidden, by name without regard to case).
QList<FolderEntry> ListFolders(const QString& root, const QString& current);

// Where a saved selection is found again in a re-read list: at or after the saved position, else
// once from the top; -1 when it is gone or nothing was selected.
int FindReselection(const QStringList& names, int savedIndex, const QString& savedName);

} // namespace kestrix
