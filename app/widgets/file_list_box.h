// A list of the working directory's file names that match one pattern
// ("*.data"), sorted by name. After the first refresh it follows the
// directory: a matching file that appears, is renamed into place or
// disappears updates the list, and the selected name stays selected while it
// is listed.
#pragma once

#include <QListWidget>
#include <QString>

#include "app/widgets/twips.h"

class QFileSystemWatcher;

namespace korvana::forms {

class FileListBox : public QListWidget {
public:
    FileListBox(QWidget* parent, const QString& pattern);

    //! Lists the current directory's matching files again, watches that
    //! directory from now on; the selection is lost.
    void refresh();
    //! The selected file name, or an empty text when none is selected.
    QString selectedFileName() const;
    //! Selects `fileName` when it is listed; returns whether it was.
    bool selectFile(const QString& fileName);

private:
    //! The watched directory changed: list it again, keeping the selection
    //! without announcing it as a new one.
    void followDirectory();
    void fill();

    QString m_pattern;
    QString m_directory;  //!< the directory listed, absolute
    QFileSystemWatcher* m_watcher;
};

//! Places a file list at a position in twips, named `name`.
FileListBox* addFileListBox(QWidget* parent, const char* name, const QString& pattern,
                            TwipRect where);

}  // namespace korvana::forms
