// The export menu of a picture area that shows a result: "画像として保存…"
// (PNG, and SVG where the area can draw itself again as vectors),
// "画像をコピー" (clipboard) and, where numbers lie behind the picture,
// "CSV として保存…". The entries are the area's own actions (its context
// menu), named savePicture, copyPicture, saveCsv, saveCsv2 ..., so tests
// trigger them; file names are asked through one function tests replace.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QPainter;
class QWidget;

namespace korvana::forms {

//! Numbers behind a picture, as a CSV file.
struct CsvExport {
    QString caption;                    //!< the menu entry
    std::function<QString()> fileName;  //!< suggested file name, at the moment of saving
    //! The file's lines; empty when there is nothing to export yet. May throw.
    std::function<std::vector<std::string>()> lines;
};

struct PictureExport {
    QString fileStem;               //!< suggested picture name without extension
    std::function<QImage()> image;  //!< the picture as shown
    //! Draws the same picture again on a painter, in image pixels; empty when
    //! the picture is a raster (PNG only).
    std::function<void(QPainter&)> vectors;
    std::vector<CsvExport> csv;
};

//! The menu entry of the first CSV export of an area.
inline const QString SAVE_CSV_CAPTION = QStringLiteral("CSV として保存…");

class PictureBox;

//! The picture of a picture area drawn by its own operations: its image, and
//! the same operations again as vectors.
PictureExport drawingExport(const PictureBox* picture, const QString& fileStem,
                            std::vector<CsvExport> csv = {});

//! Gives `area` the export menu.
void addExportMenu(QWidget* area, PictureExport what);

//! Writes the picture: as SVG when `fileName` ends in ".svg" and the picture
//! has vectors, otherwise as PNG. Returns whether the file was written.
bool savePicture(const PictureExport& what, const QString& fileName);

//! Asks where to save: (parent, suggested name, file type filters) -> chosen
//! name, empty when cancelled. Tests install a hook instead of the dialog.
using SaveNameHook = std::function<QString(const QString& suggested, const QString& filters)>;
//! Replaces the file dialog by `hook`; an empty hook restores the dialog.
void setSaveNameHook(SaveNameHook hook);
//! The file dialog (or the hook): the chosen name, empty when cancelled.
QString askSaveName(QWidget* parent, const QString& title, const QString& suggested,
                    const QString& filters);

//! Asks which file to open: (file type filters) -> chosen name, empty when
//! cancelled. Tests install a hook instead of the dialog.
using OpenNameHook = std::function<QString(const QString& filters)>;
void setOpenNameHook(OpenNameHook hook);
QString askOpenName(QWidget* parent, const QString& title, const QString& filters);

}  // namespace korvana::forms
