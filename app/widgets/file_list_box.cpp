#include "app/widgets/file_list_box.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QScrollBar>
#include <QSignalBlocker>

namespace korvana::forms {

FileListBox::FileListBox(QWidget* parent, const QString& pattern)
    : QListWidget(parent), m_pattern(pattern), m_watcher(new QFileSystemWatcher(this)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { followDirectory(); });
}

void FileListBox::fill() {
    clear();
    const QStringList names =
        QDir(m_directory).entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    addItems(names);
}

void FileListBox::refresh() {
    const QString directory = QDir::currentPath();
    if (directory != m_directory) {
        if (!m_watcher->directories().isEmpty()) m_watcher->removePaths(m_watcher->directories());
        m_watcher->addPath(directory);
        m_directory = directory;
    }
    fill();
}

void FileListBox::followDirectory() {
    const QString selected = selectedFileName();
    const int scrolledTo = verticalScrollBar()->value();
    {
        // The same file staying selected is no new choice of the user's.
        const QSignalBlocker blocker(this);
        fill();
        if (!selected.isEmpty()) selectFile(selected);
    }
    verticalScrollBar()->setValue(scrolledTo);
    viewport()->update();
}

QString FileListBox::selectedFileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

bool FileListBox::selectFile(const QString& fileName) {
    const QList<QListWidgetItem*> found = findItems(fileName, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    setCurrentItem(found.front());
    found.front()->setSelected(true);
    return true;
}

FileListBox* addFileListBox(QWidget* parent, const char* name, const QString& pattern,
                            TwipRect where) {
    auto* list = new FileListBox(parent, pattern);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(where.toPixels());
    return list;
}

}  // namespace korvana::forms
