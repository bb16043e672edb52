#include "file_list_box.h"

#include <QDir>

namespace korvana::forms {

FileListBox::FileListBox(QWidget* parent, const QString& pattern)
    : QListWidget(parent), m_pattern(pattern) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::refresh() {
    clear();
    const QStringList names =
        QDir::current().entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    addItems(names);
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
