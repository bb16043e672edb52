#include "app/forms/form3_kerma_map.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/common/picture_format.h"
#include "app/results/condition_texts.h"
#include "app/results/csv_export.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/map_schematic.h"
#include "app/results/result_set.h"
#include "app/widgets/controls.h"
#include "app/widgets/overlay_shapes.h"
#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"
#include "common/result_layout.h"

namespace korvana::forms {

namespace {

// Picture1: one unit per screen pixel, X from -250 at the left edge, Y from
// 700 at the top edge growing upwards; tall enough for the focus of a long
// FSD and the rays to the lower measuring points.
constexpr double PICTURE_LEFT = -250.0;
constexpr double PICTURE_TOP = 700.0;
constexpr int PICTURE_WIDTH = 700;   // [units] = [pixels]
constexpr int PICTURE_HEIGHT = 860;  // [units] = [pixels]
constexpr double PICTURE_BOTTOM = PICTURE_TOP - PICTURE_HEIGHT;

constexpr double AXIS_X = -200.0;             // beam axis, x = 0
constexpr double ENTRANCE_SURFACE_Y = 200.0;  // z = 0
constexpr double MEASURING_PLANE_X = 200.0;   // x = 100 cm
constexpr double UNITS_PER_CM = 4.0;

constexpr int LEGEND_WIDTH_PIXELS = 150;
constexpr int LEGEND_HEIGHT_PIXELS = 220;

QColor colourOf(const app::Rgb& rgb) { return rgbColor(rgb.red, rgb.green, rgb.blue); }

QString qText(const std::string& text) { return QString::fromStdString(text); }

QLabel* caption(QWidget* parent, const char* name, const char* text, TwipRect where) {
    return addLabel(parent, name, QString::fromUtf8(text), where);
}

// Rows of the condition block on the right.
constexpr int PANEL_LEFT = 11000;
constexpr int BOX_LEFT = 13300;
constexpr int UNIT_LEFT = 14450;
constexpr int FIRST_ROW_TOP = 600;
constexpr int ROW = 390;
constexpr int rowTop(int row) { return FIRST_ROW_TOP + ROW * row; }
constexpr TwipRect rowBox(int row) { return {BOX_LEFT, rowTop(row), 1080, 330}; }

}  // namespace

Form3::Form3()
    : Form("Form3", QStringLiteral("Air kerma distribution"), 16650, 13680),
      Label1(addLabel(page(), "Label1", QStringLiteral("Distribution of Side Scattered Air-Kerma"),
                      {150, 90, 10000, 400})),
      Picture1(addPictureBox(page(), "Picture1",
                             {150, 525, (PICTURE_WIDTH + 4) * TWIPS_PER_PIXEL,
                              (PICTURE_HEIGHT + 4) * TWIPS_PER_PIXEL})),
      Picture7(addPictureBox(page(), "Picture7",
                             {PANEL_LEFT, 5900, (LEGEND_WIDTH_PIXELS + 4) * TWIPS_PER_PIXEL,
                              (LEGEND_HEIGHT_PIXELS + 4) * TWIPS_PER_PIXEL})),
      Text9(addTextBox(page(), "Text9", rowBox(0))),
      Text8(addTextBox(page(), "Text8", rowBox(1))),
      Text12(addTextBox(page(), "Text12", rowBox(2))),
      Text10(addTextBox(page(), "Text10", rowBox(3))),
      Text11(addTextBox(page(), "Text11", rowBox(4))),
      Text1(addTextBox(page(), "Text1", {BOX_LEFT + 120, rowTop(5), 960, 330})),
      Text2(addTextBox(page(), "Text2", rowBox(6))),
      Text3(addTextBox(page(), "Text3", {PANEL_LEFT + 240, rowTop(8), 1000, 330})),
      Text4(addTextBox(page(), "Text4", {PANEL_LEFT + 1560, rowTop(8), 1000, 330})),
      Text25(addTextBox(page(), "Text25", rowBox(9))),
      Text5(addTextBox(page(), "Text5", rowBox(11))),
      Text6(addTextBox(page(), "Text6", rowBox(12))),
      Label36(addLabel(page(), "Label36", QString(), {12200, 9420, 1400, 330})),
      Label39(addLabel(page(), "Label39", QString(), {11400, 10650, 900, 330})),
      Label40(addLabel(page(), "Label40", QString(), {11400, 11000, 900, 330})),
      Label45(addLabel(page(), "Label45", QString(), {11400, 11350, 900, 330})),
      Label47(addLabel(page(), "Label47", QString(), {11400, 11700, 1300, 330})),
      Label76(addLabel(page(), "Label76", QString(), {13400, 11700, 2400, 330})),
      Label74(addLabel(Picture1, "Label74", QStringLiteral("Pb"), {0, 0, 400, 300})),
      Label78(addLabel(Picture1, "Label78", QString(), {0, 0, 1500, 300})),
      Label77(addLabel(page(), "Label77", QString(), {PANEL_LEFT, 12120, 3600, 1400})),
      Line3(new OverlayLine(Picture1, "Line3", Qt::black, 1)),
      Line4(new OverlayLine(Picture1, "Line4", Qt::black, 1)),
      Line14(new OverlayLine(Picture1, "Line14", paletteColor(9), 2)),
      Line41(new OverlayLine(Picture1, "Line41", paletteColor(12), 2)),
      Line42(new OverlayLine(Picture1, "Line42", paletteColor(12), 2)),
      Shape1(new OverlayShape(Picture1, "Shape1", Qt::black, rgbColor(255, 224, 192))),
      Shape2(new OverlayShape(Picture1, "Shape2", Qt::black)),
      Shape3(new OverlayShape(Picture1, "Shape3", Qt::black, rgbColor(160, 160, 160))),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("Close"),
                                {14700, 12960, 1455, 495})) {
    Picture1->setScale(PICTURE_LEFT, PICTURE_TOP, PICTURE_WIDTH, -PICTURE_HEIGHT);
    QFont small = font();
    small.setPixelSize(12);
    Picture1->setTextFont(small);
    Picture7->setScale(0, 0, 100, 110);
    addExportMenus();
    Picture1->setMouseTracking(true);
    Picture1->installEventFilter(this);
    // The pointer over the cross-hair, label or shapes still moves over the map.
    for (QLabel* label : {Label74, Label78}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255); background: transparent;"));
    }
    Label77->setWordWrap(true);
    Label77->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLineEdit* box :
         {Text9, Text8, Text12, Text10, Text11, Text1, Text2, Text3, Text4, Text25, Text5, Text6}) {
        makeReadOnly(box);
    }
    // The fixed part of the schematic: the map frame.
    Shape2->setCorners(0, 0, 400, 600);
    Line14->raise();
    Line41->raise();
    Line42->raise();
    buildCaptions();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Form3_Load();
}

void Form3::buildCaptions() {
    const QString blue = QStringLiteral("color: rgb(0, 0, 255);");
    QFont titleFont = font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label1->setStyleSheet(blue);

    const struct {
        const char* name;
        const char* text;
        int row;
    } rows[] = {{"Label2", "Tube voltage", 0},
                {"Label3", "Target angle", 1},
                {"Label4", "Inherent filtration", 2},
                {"Label5", "Al filter", 3},
                {"Label6", "Cu filter", 4},
                {"Label8", "Phantom size", 5},
                {"Label9", "FSD", 6},
                {"Label10", "Field size at FSD", 7},
                {"Label11", "History", 9},
                {"Label12", "Pb curtain", 10},
                {"Label15", "Thickness", 11},
                {"Label23", "Length (L)", 12}};
    for (const auto& row : rows) {
        caption(page(), row.name, row.text, {PANEL_LEFT, rowTop(row.row) + 30, 2200, 330});
    }
    findChild<QLabel*>(QStringLiteral("Label12"))->setStyleSheet(blue);
    const struct {
        const char* name;
        const char* text;
        int row;
    } units[] = {{"Label24", "kV", 0},      {"Label25", "degree", 1}, {"Label26", "mmAl", 2},
                 {"Label27", "mm", 3},      {"Label28", "mm", 4},     {"Label29", "cm", 6},
                 {"Label30", "photons", 9}, {"Label31", "mm", 11},    {"Label34", "cm", 12}};
    for (const auto& unit : units) {
        caption(page(), unit.name, unit.text, {UNIT_LEFT, rowTop(unit.row) + 30, 1000, 330});
    }
    // Phantom size 40 x 30 x thickness cm3.
    caption(page(), "Label49", "40", {BOX_LEFT - 880, rowTop(5) + 30, 300, 330});
    caption(page(), "Label51", "x", {BOX_LEFT - 580, rowTop(5) + 30, 200, 330});
    caption(page(), "Label50", "30", {BOX_LEFT - 400, rowTop(5) + 30, 300, 330});
    caption(page(), "Label52", "x", {BOX_LEFT - 100, rowTop(5) + 30, 200, 330});
    caption(page(), "Label7", "cm", {UNIT_LEFT, rowTop(5) + 30, 330, 330});
    caption(page(), "Label53", "3", {UNIT_LEFT + 330, rowTop(5) - 30, 200, 300});
    // Field size: first x second cm2.
    caption(page(), "Label43", "x", {PANEL_LEFT + 1320, rowTop(8) + 30, 200, 330});
    caption(page(), "Label44", "cm", {PANEL_LEFT + 2640, rowTop(8) + 30, 330, 330});
    caption(page(), "Label54", "2", {PANEL_LEFT + 2970, rowTop(8) - 30, 200, 300});

    // The legend captions, top to bottom, beside their swatches.
    const char* legendNames[] = {"Label16", "Label17", "Label18", "Label19", "Label14", "Label20",
                                 "Label21", "Label22", "Label32", "Label33", "Label13"};
    const auto& bands = app::legendBands();
    for (std::size_t n = 0; n < bands.size(); ++n) {
        const int top = static_cast<int>(2 + 20 * n + 2) * TWIPS_PER_PIXEL;
        caption(Picture7, legendNames[n], bands[n].caption, {56 * TWIPS_PER_PIXEL, top, 1400, 270});
    }

    caption(page(), "Label35", "100 % =", {PANEL_LEFT, 9420, 1100, 330});
    caption(page(), "Label38", "Gy", {13650, 9420, 500, 330});
    QLabel* reference = caption(page(), "Label37",
                                "This value is for the unit air kerma  ( 1 Gy )  at the entrance "
                                "surface  of the phantom.",
                                {PANEL_LEFT, 9780, 5400, 660});
    reference->setWordWrap(true);
    reference->setStyleSheet(blue);
    caption(page(), "Label41", "X", {PANEL_LEFT, 10650, 300, 330});
    caption(page(), "Label57", "cm", {12400, 10650, 500, 330});
    caption(page(), "Label42", "Y", {PANEL_LEFT, 11000, 300, 330});
    caption(page(), "Label58", "cm", {12400, 11000, 500, 330});
    caption(page(), "Label46", "%", {12400, 11350, 500, 330});
    caption(page(), "Label48", "Gy", {12800, 11700, 500, 330});
}

void Form3::addExportMenus() {
    // The map is a raster: PNG only, of the map with its schematic, legend and 100 % value.
    PictureExport map{
        QStringLiteral("kerma_map"),
        [this] {
            const QRect area = Picture1->geometry()
                                   .united(Picture7->geometry())
                                   .united(Label36->geometry())
                                   .adjusted(0, 0, 2, 2);
            return page()->grab(area).toImage();
        },
        {},
        {{SAVE_CSV_CAPTION,
          [this] { return qText(app::resultStem(m_paintedFileName)) + QStringLiteral("_map.csv"); },
          [this] {
              return m_paintedFileName.empty() ? std::vector<std::string>{}
                                               : app::kermaMapCsv(m_paintedMap);
          }}}};
    addExportMenu(Picture1, map);
    addExportMenu(Picture7, map);
}

void Form3::Form3_Load() {
    drawLegend();
    Line41->hide();
    Line42->hide();
    for (QLabel* readout : {Label39, Label40, Label45, Label47, Label76}) readout->clear();
}

void Form3::drawLegend() {
    Picture7->clear();
    const auto& bands = app::legendBands();
    for (std::size_t n = 0; n < bands.size(); ++n) {
        const double top = 10.0 * static_cast<double>(n);
        Picture7->filledRectangle(0, top, 30, top + 10, colourOf(bands[n].colour));
    }
}

void Form3::showConditions(const app::RunConditions& conditions) {
    const app::MapConditionTexts texts = app::mapConditionTexts(conditions);
    Text9->setText(qText(texts.tubeVoltage));
    Text8->setText(qText(texts.targetAngle));
    Text12->setText(qText(texts.inherentFiltration));
    Text10->setText(qText(texts.addedAluminium));
    Text11->setText(qText(texts.addedCopper));
    Text1->setText(qText(texts.phantomThickness));
    Text2->setText(qText(texts.focusSurfaceDistance));
    Text3->setText(qText(texts.fieldSizeY));
    Text4->setText(qText(texts.fieldSizeX));
    Text25->setText(qText(texts.historyCount));
    Text5->setText(qText(texts.curtainLead));
    Text6->setText(qText(texts.curtainLength));
}

void Form3::drawKermaMap(const app::ResultSet& set) {
    m_paintedMap = set.kermaMap;
    m_paintedUncertainties = set.uncertainties;
    m_paintedFileName = set.fileName;
    showConditions(set.conditions);
    Picture1->clear();
    const app::MapSchematic schematic = app::mapSchematic(set.conditions, set.scene);
    placeSchematic(schematic);
    paintMap();
    drawGridAndMarks();
    drawRoom(schematic);
    Label36->setText(qText(app::kermaMapMaxText(m_paintedMap)));
    showModeless();
}

void Form3::placeSchematic(const app::MapSchematic& s) {
    // Beam, object, couch and curtain all from the painted result and its room.
    Line3->setEnds(s.focus.x, s.focus.y, s.beamLeftEdge.x, s.beamLeftEdge.y);
    Line4->setEnds(s.beamRightEdge.x, s.beamRightEdge.y, s.focus.x, s.focus.y);
    Shape1->setCorners(s.objectLeftX, s.objectBottomY, s.objectRightX, s.objectTopY);
    Shape3->setCorners(s.couch.left, s.couch.top, s.couch.right, s.couch.bottom);
    Line14->setEnds(s.curtainX, s.curtainTopY, s.curtainX, s.curtainBottomY);
    Line14->setVisible(s.curtainShown);
    const QPoint labelCorner =
        Picture1->toPixel(s.curtainX + 6, s.curtainLabelTopY) + Picture1->contentsRect().topLeft();
    Label74->move(labelCorner);
    Label74->setVisible(s.curtainShown);
    // A finite curtain looks the same from the side: its width is written under "Pb".
    Label78->setText(
        s.curtainWidthCm
            ? QStringLiteral("幅 %1 cm").arg(qText(app::formatPicture(*s.curtainWidthCm, "0.0")))
            : QString());
    Label78->move(labelCorner + QPoint(0, Label74->height()));
    Label78->setVisible(s.curtainShown && s.curtainWidthCm);
}

void Form3::drawRoom(const app::MapSchematic& s) {
    PictureBox& p = *Picture1;
    const QColor eyeColour(255, 0, 255);
    const QColor black = Qt::black;
    // Shields black and thick, apart from the map's colours and its one-pixel rays.
    p.setDrawWidth(3);
    for (const app::MapShield& shield : s.shields) {
        p.line(shield.lowEnd.x, shield.lowEnd.y, shield.highEnd.x, shield.highEnd.y, black);
    }
    p.setDrawWidth(1);
    for (const app::MapShield& shield : s.shields) {
        // The name beside the edge nearer the focus (up in the map).
        const app::MapPoint& top =
            shield.lowEnd.y >= shield.highEnd.y ? shield.lowEnd : shield.highEnd;
        p.text(top.x + 6, top.y + 14,
               QStringLiteral("%1 %2 mm Pb")
                   .arg(qText(shield.name), qText(app::formatPicture(shield.leadMm, "0.0#"))),
               black);
    }
    if (s.table) {
        p.text(std::max(s.couch.left, PICTURE_LEFT) + 4, s.couch.bottom - 4,
               QStringLiteral("寝台 %1 mm Al")
                   .arg(qText(app::formatPicture(s.table->alEquivalentMm, "0.0#"))),
               black);
    }
    // Each eye point a framed square with its name, drawn where the picture reaches.
    constexpr double HALF = 4.0;
    for (const app::MapEyePoint& eye : s.eyePoints) {
        const double x = eye.at.x;
        const double y = eye.at.y;
        if (x < PICTURE_LEFT || x > PICTURE_LEFT + PICTURE_WIDTH || y > PICTURE_TOP ||
            y < PICTURE_BOTTOM) {
            continue;
        }
        p.filledRectangle(x - HALF, y - HALF, x + HALF, y + HALF, eyeColour);
        p.rectangle(x - HALF - 1, y - HALF - 1, x + HALF + 1, y + HALF + 1, black);
        p.text(x + HALF + 4, y + 8, qText(eye.name), black);
    }
    Label77->setText(roomSummary(s));
}

QString Form3::roomSummary(const app::MapSchematic& s) {
    QStringList parts;
    if (!s.shields.empty()) parts << QStringLiteral("遮へい板 %1 枚").arg(s.shields.size());
    if (s.curtainShown && s.curtainWidthCm) {
        parts << QStringLiteral("カーテン幅 %1 cm")
                     .arg(qText(app::formatPicture(*s.curtainWidthCm, "0.0")));
    }
    if (s.table) {
        parts << (s.table->side == TableSide::Exit ? QStringLiteral("寝台 %1 mm Al（出口側）")
                                                   : QStringLiteral("寝台 %1 mm Al（入射側）"))
                     .arg(qText(app::formatPicture(s.table->alEquivalentMm, "0.0#")));
    }
    if (!s.eyePoints.empty()) {
        QStringList names;
        for (const app::MapEyePoint& eye : s.eyePoints) names << qText(eye.name);
        parts << QStringLiteral("目の位置 %1").arg(names.join(QStringLiteral("、")));
    }
    if (parts.isEmpty()) return {};
    return QStringLiteral("部屋の配置: %1（側面図: y 方向は投影）")
        .arg(parts.join(QStringLiteral("、")));
}

void Form3::paintMap() {
    // Cell (i, j) is a 2 x 2 unit square whose upper right corner lies at the
    // raster point (2 (i - 1), 600 - 2 (j - 1)) shifted by one unit down and left.
    for (int j = 1; j <= app::MAP_ROWS; ++j) {
        const double top = 600.0 - 2.0 * (j - 1) - 1.0;
        for (int i = 1; i <= app::MAP_COLUMNS; ++i) {
            const double left = 2.0 * (i - 1) - 1.0;
            Picture1->filledRectangle(left, top, left + 1.0, top - 1.0,
                                      colourOf(app::mapColourOf(m_paintedMap.at(i, j))));
        }
    }
}

void Form3::drawGridAndMarks() {
    PictureBox& p = *Picture1;
    p.setDrawWidth(1);
    const QColor grey = paletteColor(8);
    for (int x = 0; x <= 400; x += 40) p.line(x, 610, x, -10, grey);
    for (int y = 0; y <= 600; y += 40) p.line(-10, y, 410, y, grey);

    // Axes of the scene: the beam axis, the entrance surface, the measuring
    // plane and the height of 50 cm towards the focus.
    const QColor black = Qt::black;
    const QColor dark = paletteColor(1);
    p.line(AXIS_X, PICTURE_TOP, AXIS_X, PICTURE_BOTTOM, dark);
    p.line(PICTURE_LEFT, ENTRANCE_SURFACE_Y, 440, ENTRANCE_SURFACE_Y, dark);
    p.line(MEASURING_PLANE_X, 640, MEASURING_PLANE_X, PICTURE_BOTTOM, dark);
    p.line(AXIS_X, 400, 0, 400, dark);

    // Rays from the beam centre on the entrance surface to the measuring
    // points at x = 100 cm, cut off at the picture's lower edge.
    constexpr double PI = 3.14159265358979;
    constexpr double LOWEST_Y = PICTURE_BOTTOM + 14.0;
    for (int k = FIRST_SHOWN_POINT; k <= LAST_SHOWN_POINT; ++k) {
        const double theta = pointAngleDeg(k) * PI / 180.0;
        const double zCm = std::round(1000.0 / std::tan(theta)) / 10.0;  // 100 cot, 0.1 cm
        double endX = MEASURING_PLANE_X;
        double endY = ENTRANCE_SURFACE_Y - UNITS_PER_CM * zCm;
        if (endY < LOWEST_Y) {
            endX = AXIS_X + (MEASURING_PLANE_X - AXIS_X) * (ENTRANCE_SURFACE_Y - LOWEST_Y) /
                                (ENTRANCE_SURFACE_Y - endY);
            endY = LOWEST_Y;
        }
        p.line(AXIS_X, ENTRANCE_SURFACE_Y, endX, endY, black);
        p.text(endX + 4, endY + 14, QString::number(pointAngleDeg(k)), black);
    }
    p.text(-230, PICTURE_BOTTOM + 36, QStringLiteral("Scattering   angle (deg.)"), black);

    // Distance marks: across to the measuring plane and to the map, up from
    // the entrance surface.
    p.line(AXIS_X, 660, MEASURING_PLANE_X, 660, black);
    p.text(-20, 680, QStringLiteral("100 cm"), black);
    p.line(AXIS_X, 625, 0, 625, black);
    p.text(-130, 645, QStringLiteral("50 cm"), black);
    p.text(-240, 408, QStringLiteral("50"), black);
    p.text(-240, 392, QStringLiteral("cm"), black);
    p.text(-240, 208, QStringLiteral("0"), black);
    p.text(430, 214, QStringLiteral("X"), black);
    p.text(AXIS_X + 6, PICTURE_TOP - 2, QStringLiteral("Y"), black);
}

void Form3::showKermaAt(double x, double y) {
    const std::optional<app::KermaReadout> readout = app::kermaReadoutAt(m_paintedMap, x, y);
    if (!readout) {
        Line41->hide();
        Line42->hide();
        for (QLabel* label : {Label39, Label40, Label45, Label47, Label76}) label->clear();
        return;
    }
    Line41->setEnds(-34, y, 430, y);
    Line42->setEnds(x, 628, x, -20);
    Line41->show();
    Line42->show();
    Label39->setText(qText(readout->xText));
    Label40->setText(qText(readout->zText));
    Label45->setText(qText(readout->percentText));
    Label47->setText(qText(readout->kermaText));
    const std::optional<double> error =
        app::mapRelativeErrorPercent(m_paintedUncertainties, readout->column, readout->row);
    const KermaUncertainty* cell =
        app::nearestGridUncertainty(m_paintedUncertainties, readout->column, readout->row);
    const bool unstable = error && cell && cell->unstable;
    Label76->setText(!error     ? QString()
                     : unstable ? qText(app::relativeErrorText(*error)) + QStringLiteral(" 不安定")
                                : qText(app::relativeErrorText(*error)));
    Label76->setStyleSheet(unstable ? QStringLiteral("color: rgb(200, 90, 0);") : QString());
    QString tip =
        error ? QStringLiteral("最寄りの計算格子点における空気カーマの相対標準誤差") : QString();
    if (unstable) {
        tip += QStringLiteral(
            "\n注意: この格子点の値は少数のヒストリーに大きく左右されており、"
            "誤差の推定自体が不安定です。");
    }
    Label76->setToolTip(tip);
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && event->type() == QEvent::MouseMove) {
        // Pixels of the inner area to user units, Y up: one unit per pixel as
        // designed, more on a window drawn smaller to fit the screen.
        const QRect inner = Picture1->contentsRect();
        const QPointF pixel = static_cast<QMouseEvent*>(event)->position() - inner.topLeft();
        showKermaAt(PICTURE_LEFT + pixel.x() * PICTURE_WIDTH / inner.width(),
                    PICTURE_TOP - pixel.y() * PICTURE_HEIGHT / inner.height());
    }
    return Form::eventFilter(watched, event);
}

}  // namespace korvana::forms
