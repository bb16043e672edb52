// A list of the working directory's file names that match one pattern
// ("*.data"), sorted by name; refreshed on request, not watched.
#pragma once

#include <QListWidget>
#include <QString>

#include "twips.h"

namespace korvana::forms {

class FileListBox : public QListWidget {
public:
    FileListBox(QWidget* parent, const QString& pattern);

    //! Lists the current directory's matching files again; the selection is lost.
    void refresh();
    //! The selected file name, or an empty text when none is selected.
    QString selectedFileName() const;
    //! Selects `fileName` when it is listed; returns whether it was.
    bool selectFile(const QString& fileName);

private:
    QString m_pattern;
};

//! Places a file list at a position in twips, named `name`.
FileListBox* addFileListBox(QWidget* parent, const char* name, const QString& pattern,
                            TwipRect where);

}  // namespace korvana::forms
