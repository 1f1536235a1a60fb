// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lists.h"

#include "core/browse.h"

#include <QDir>
#include <QFileInfo>
#include <QStringListModel>
#include <QStyle>

namespace kestrix {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!quiet_)
            Q_EMIT changed();
    });
}

void DriveListBox::setDrives(const QList<Volume>& drives) {
    quiet_ = true;
    drives_ = drives;
    clear();
    for (const Volume& v : drives)
        addItem(v.label.isEmpty() ? v.drive : QStringLiteral("%1 [%2]").arg(v.drive, v.label));
    quiet_ = false;
}

QString DriveListBox::drive() const {
    return volume().drive;
}

void DriveListBox::showDrive(const QString& drive) {
    for (qsizetype i = 0; i < drives_.size(); ++i) {
        if (drives_[i].drive == drive) {
            quiet_ = true;
            setCurrentIndex(static_cast<int>(i));
            quiet_ = false;
            return;
        }
    }
}

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::open);
}

void DirListBox::setPath(const QString& root, const QString& path) {
    const QString before = path_;
    root_ = QDir::cleanPath(root);
    path_ = QDir::cleanPath(path);
    fill();
    if (path_ != before)
        Q_EMIT changed();
}

void DirListBox::refresh() {
    QString here = path_;
    while (!QFileInfo(here).isDir() && here != root_ && here != u'/')
        here = QFileInfo(here).path();
    setPath(root_, here);
}

void DirListBox::fill() {
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    clear();
    if (root_.isEmpty() || root_ == u".")
        return; // drive a: with no disk
    int current = 0;
    for (const FolderEntry& entry : ListFolders(root_, path_)) {
        auto* item = new QListWidgetItem(entry.isChain ? opened : closed,
                                         QString(entry.depth * 2, u' ') + entry.name, this);
        item->setData(Qt::UserRole, entry.path);
        if (entry.isChain)
            current = count() - 1;
    }
    setCurrentRow(current);
}

void DirListBox::open(QListWidgetItem* item) {
    if (item)
        setPath(item->data(Qt::UserRole).toString());
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // A mouse press makes the entry current before it selects it, so the selection is the signal.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    Q_EMIT fileClicked();
            });
}

void FileListBox::setPath(const QString& path) {
    path_ = path;
    refresh();
}

void FileListBox::refresh() {
    // No folder (drive a: with no disk) lists nothing, not the current folder.
    model_->setStringList(path_.isEmpty() ? QStringList() : ListFiles(path_, pattern_));
    selectionModel()->clearCurrentIndex();
    clearSelection();
}

QStringList FileListBox::fileNames() const {
    return model_->stringList();
}

int FileListBox::listCount() const {
    return model_->rowCount();
}

int FileListBox::listIndex() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void FileListBox::setListIndex(int index) {
    if (index < 0 || index >= listCount()) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
        return;
    }
    if (index == listIndex()) {
        Q_EMIT fileClicked();
        return;
    }
    selectionModel()->setCurrentIndex(model_->index(index), QItemSelectionModel::ClearAndSelect);
}

QString FileListBox::fileName() const {
    const int index = listIndex();
    return index < 0 ? QString() : model_->index(index).data().toString();
}

} // namespace kestrix
