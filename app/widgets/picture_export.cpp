#include "app/widgets/picture_export.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>
#include <QWidget>
#include <exception>

#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_box.h"
#include "common/csv.h"

namespace korvana::forms {

namespace {

SaveNameHook& saveNameHook() {
    static SaveNameHook hook;
    return hook;
}

void savePictureAs(QWidget* area, const PictureExport& what) {
    const QString filters = what.vectors ? QStringLiteral("PNG 画像 (*.png);;SVG 画像 (*.svg)")
                                         : QStringLiteral("PNG 画像 (*.png)");
    QString name = askSaveName(area->window(), QStringLiteral("画像として保存"),
                               what.fileStem + QStringLiteral(".png"), filters);
    if (name.isEmpty()) return;
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
        name += QStringLiteral(".png");
    }
    if (!savePicture(what, name)) {
        showMessage(area->window(), QStringLiteral("画像 %1 を保存できません。").arg(name),
                    MessageIcon::Critical);
    }
}

void saveCsvAs(QWidget* area, const CsvExport& csv) {
    std::vector<std::string> lines;
    try {
        lines = csv.lines();
    } catch (const std::exception& error) {
        showMessage(area->window(),
                    QStringLiteral("CSV に書き出す数値を用意できません。\n") + failureDetail(error),
                    MessageIcon::Exclamation);
        return;
    }
    if (lines.empty()) {
        showMessage(
            area->window(),
            QStringLiteral(" 保存する数値がありません（結果を表示してから保存して下さい） "),
            MessageIcon::Exclamation);
        return;
    }
    QString name = askSaveName(area->window(), csv.caption, csv.fileName(),
                               QStringLiteral("CSV ファイル (*.csv)"));
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".csv");
    try {
        writeCsvFile(QFile::encodeName(name).toStdString(), lines);
    } catch (const std::exception& error) {
        showMessage(
            area->window(),
            QStringLiteral("CSV ファイル %1 を保存できません。\n").arg(name) + failureDetail(error),
            MessageIcon::Critical);
    }
}

}  // namespace

bool savePicture(const PictureExport& what, const QString& fileName) {
    const QImage image = what.image();
    if (what.vectors && fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(image.size());
        svg.setViewBox(QRect(QPoint(0, 0), image.size()));
        svg.setResolution(96);  // one image pixel per screen pixel at 96 dots per inch
        svg.setTitle(what.fileStem);
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        what.vectors(painter);
        return painter.end();
    }
    return image.save(fileName, "PNG");
}

void addExportMenu(QWidget* area, PictureExport what) {
    area->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* save = new QAction(QStringLiteral("画像として保存…"), area);
    save->setObjectName(QStringLiteral("savePicture"));
    auto* copy = new QAction(QStringLiteral("画像をコピー"), area);
    copy->setObjectName(QStringLiteral("copyPicture"));
    area->addAction(save);
    area->addAction(copy);
    QObject::connect(save, &QAction::triggered, area, [area, what] { savePictureAs(area, what); });
    QObject::connect(copy, &QAction::triggered, area,
                     [what] { QGuiApplication::clipboard()->setImage(what.image()); });
    for (std::size_t n = 0; n < what.csv.size(); ++n) {
        auto* action = new QAction(what.csv[n].caption, area);
        action->setObjectName(n == 0 ? QStringLiteral("saveCsv")
                                     : QStringLiteral("saveCsv%1").arg(n + 1));
        area->addAction(action);
        QObject::connect(action, &QAction::triggered, area,
                         [area, csv = what.csv[n]] { saveCsvAs(area, csv); });
    }
}

PictureExport drawingExport(const PictureBox* picture, const QString& fileStem,
                            std::vector<CsvExport> csv) {
    return {fileStem, [picture] { return picture->image(); },
            [picture](QPainter& painter) { picture->replay(painter); }, std::move(csv)};
}

QString askSaveName(QWidget* parent, const QString& title, const QString& suggested,
                    const QString& filters) {
    if (saveNameHook()) return saveNameHook()(suggested, filters);
    return QFileDialog::getSaveFileName(parent, title, QDir::current().filePath(suggested),
                                        filters);
}

void setSaveNameHook(SaveNameHook hook) { saveNameHook() = std::move(hook); }

namespace {

OpenNameHook& openNameHook() {
    static OpenNameHook hook;
    return hook;
}

}  // namespace

void setOpenNameHook(OpenNameHook hook) { openNameHook() = std::move(hook); }

QString askOpenName(QWidget* parent, const QString& title, const QString& filters) {
    if (openNameHook()) return openNameHook()(filters);
    return QFileDialog::getOpenFileName(parent, title, QDir::currentPath(), filters);
}

}  // namespace korvana::forms
