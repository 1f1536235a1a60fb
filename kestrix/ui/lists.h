// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"

#include <QComboBox>
#include <QListView>
#include <QListWidget>

class QStringListModel;

namespace kestrix {

// The drive list: "a:" for the floppy, then the mounted volumes.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    void setDrives(const QList<Volume>& drives);
    QString drive() const;
    Volume volume() const { return drives_.value(currentIndex()); }
    // Shows the drive without announcing a change (used to go back to the previous one).
    void showDrive(const QString& drive);

Q_SIGNALS:
    void changed();

private:
    QList<Volume> drives_;
    bool quiet_ = false;
};

// The classic folder list: the folders from the drive's root down to the current folder, then
// the current folder's sub-folders. Opening an entry makes it the current folder.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Moves to the folder (re-reading the list) and announces it when it differs.
    void setPath(const QString& root, const QString& path);
    void setPath(const QString& path) { setPath(root_, path); }
    // Re-reads the list; a current folder that has gone gives way to its nearest existing parent.
    void refresh();

Q_SIGNALS:
    void changed();

private:
    void fill();
    void open(QListWidgetItem* item);

    QString root_;
    QString path_;
};

// A file list: the plain files of a folder that match its pattern, by name, single selection.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    void setPattern(const QString& pattern) { pattern_ = pattern; }
    QString path() const { return path_; }
    // Shows the folder's files with nothing selected.
    void setPath(const QString& path);
    void refresh();

    QStringList fileNames() const;
    int listCount() const;
    int listIndex() const;        // -1: nothing selected
    void setListIndex(int index); // a selection from code counts like a click
    QString fileName() const;     // the selected name, empty when none

Q_SIGNALS:
    // A file became selected, by the user or from code.
    void fileClicked();

private:
    QStringListModel* model_;
    QString path_;
    QString pattern_;
};

} // namespace kestrix
