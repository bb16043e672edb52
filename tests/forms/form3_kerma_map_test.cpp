// The air kerma distribution map driven by control name: the legend, the
// colour bands at chosen cells (exactly 100 % white, limits in the lower
// band), the grid, the schematic from the loaded result, the mouse readouts
// at the map's corners and off it, a map without air kerma, and the painting
// kept while another file is loaded or the window is covered, and the room
// of a result with a scene.
#include "app/forms/form3_kerma_map.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "app/widgets/overlay_shapes.h"
#include "common/text_file.h"
#include "eye_points_fixture.h"
#include "fakes.h"
#include "result_file_builder.h"
#include "uncertainty_fixture.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

const QColor WHITE(255, 255, 255);
const QColor GREY(128, 128, 128);

// A grid of 1 % everywhere with chosen grid points; the maximum 1.0 at
// column 15, row 11 (x = 120 cm, z = -50 cm).
ResultFileContent bandContent() {
    ResultFileContent c = ResultFileContent::plausible();
    for (auto& column : c.grid) column.fill(0.01);
    c.grid[15][11] = 1.0;
    c.grid[17][5] = 0.9;
    c.grid[17][9] = 0.95;
    c.grid[19][5] = 0.05;
    c.grid[19][9] = 0.55;
    c.grid[13][21] = 0.75;
    c.grid[21][31] = 0.3;
    return c;
}

// Map cell (i, j) of a grid point (n, m).
int cellColumn(int n) { return 10 * (n - 1) + 1; }
int cellRow(int m) { return 10 * (m - 1) + 1; }

// The image pixel in the left column and upper row of cell (i, j): the cell
// spans X = 2 (i - 1) - 1 .. 2 (i - 1), Y = 600 - 2 (j - 1) - 1 .. - 2, and
// the picture maps X to X + 250, Y to 700 - Y. Its left column lies beside
// the vertical grid lines.
QPoint cellPixel(int i, int j) {
    return QPoint(2 * (i - 1) - 1 + 250, 700 - (600 - 2 * (j - 1) - 1));
}

QColor cellColour(const forms::Form3& form3, int i, int j) {
    return control<forms::PictureBox>(form3, "Picture1")->image().pixelColor(cellPixel(i, j));
}

// A pointer move without buttons, as the picture receives it.
void moveOver(QWidget* widget, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, QPointF(position), widget->mapToGlobal(QPointF(position)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

struct Loaded {
    FormsFixture fx;
    forms::Form3& form3;
    explicit Loaded(const ResultFileContent& content)
        : form3((content.write("map.data"), fx.forms->form3())) {
        openAndLoad(*fx.forms, QStringLiteral("map.data"));
        control<QPushButton>(fx.forms->form1(), "Command1")->click();
    }
};

}  // namespace

class Form3Test : public QObject {
    Q_OBJECT

private slots:
    void legendHasElevenSwatchesAndCaptions() {
        FormsFixture fx;
        forms::Form3& form3 = fx.forms->form3();
        QCOMPARE(form3.windowTitle(), QStringLiteral("Air kerma distribution"));
        const forms::PictureBox* legend = control<forms::PictureBox>(form3, "Picture7");
        // 0..100 units over 150 pixels, 0..110 over 220: a swatch is 45 x 20 pixels.
        const QColor swatches[] = {{255, 0, 255},  {255, 0, 0},     {255, 192, 0},  {255, 255, 0},
                                   {146, 208, 80}, {0, 176, 80},    {0, 176, 240},  {0, 112, 192},
                                   {112, 48, 160}, {126, 126, 126}, {200, 200, 200}};
        const char* names[] = {"Label16", "Label17", "Label18", "Label19", "Label14", "Label20",
                               "Label21", "Label22", "Label32", "Label33", "Label13"};
        const char* captions[] = {"90 -100", "80 - 90", "70 - 80", "60 - 70", "50 - 60", "40 - 50",
                                  "30 - 40", "20 - 30", "10 - 20", "5 - 10",  "0 -  5"};
        for (int n = 0; n < 11; ++n) {
            QCOMPARE(pixelAt(legend, 20, 20 * n + 10), swatches[n]);
            QCOMPARE(control<QLabel>(form3, names[n])->text(), QString::fromLatin1(captions[n]));
        }
        QCOMPARE(pixelAt(legend, 60, 10), WHITE);
        QVERIFY(!control<forms::OverlayLine>(form3, "Line41")->isVisible() &&
                !control<forms::OverlayLine>(form3, "Line41")
                     ->isVisibleTo(control<forms::PictureBox>(form3, "Picture1")));
        QVERIFY(!control<forms::OverlayLine>(form3, "Line42")
                     ->isVisibleTo(control<forms::PictureBox>(form3, "Picture1")));
        for (QLabel* readout :
             {control<QLabel>(form3, "Label39"), control<QLabel>(form3, "Label40"),
              control<QLabel>(form3, "Label45"), control<QLabel>(form3, "Label47")}) {
            QCOMPARE(readout->text(), QString());
        }
    }

    void cellsArePaintedInTheirBands() {
        Loaded l(bandContent());
        QVERIFY(l.form3.isVisible());
        const app::KermaMap& map = l.fx.forms->state().resultSet.kermaMap;
        struct Case {
            int n, m;
            double percent;
            QColor colour;
        } cases[] = {
            {15, 11, 100.0, WHITE},
            {17, 9, 95.0, QColor(255, 0, 255)},
            {17, 5, 90.0, QColor(255, 0, 0)},  // a limit belongs to the lower band
            {13, 21, 75.0, QColor(255, 192, 0)},
            {19, 9, 55.0, QColor(164, 208, 80)},  // not the legend's 146, 208, 80
            {21, 31, 30.0, QColor(0, 112, 192)},
            {19, 5, 5.0, QColor(200, 200, 200)},
            {3, 3, 1.0, QColor(200, 200, 200)},
        };
        for (const Case& c : cases) {
            const int i = cellColumn(c.n), j = cellRow(c.m);
            QCOMPARE(map.at(i, j), c.percent);  // the cell holds the grid value exactly
            QCOMPARE(cellColour(l.form3, i, j), c.colour);
        }
        // Beside the maximum the refined value is 90.1 %: no longer white.
        QCOMPARE(cellColour(l.form3, cellColumn(15) + 1, cellRow(11)), QColor(255, 0, 255));
        QCOMPARE(cellColour(l.form3, cellColumn(15), cellRow(11) + 1), QColor(255, 0, 255));
        QCOMPARE(control<QLabel>(l.form3, "Label36")->text(), QStringLiteral("1.000E+00"));
        // Grid lines every 10 cm over the map: X = 240, Y = 400.
        QCOMPARE(pixelAt(control<forms::PictureBox>(l.form3, "Picture1"), 240 + 250, 700 - 300),
                 GREY);
        QCOMPARE(pixelAt(control<forms::PictureBox>(l.form3, "Picture1"), 300 + 250, 700 - 400),
                 GREY);
    }

    void readoutsAtTheCornersAndOffTheMap_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("xText");
        QTest::addColumn<QString>("zText");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("kerma");
        QTest::newRow("top left, column 1 row 1") << 0.0 << 600.0 << " 50"
                                                  << "-100"
                                                  << "1.0"
                                                  << "1.000E-02";
        QTest::newRow("bottom right, column 201 row 301") << 400.0 << 0.0 << " 150"
                                                          << " 50"
                                                          << "30.0"
                                                          << "3.000E-01";
        QTest::newRow("the maximum") << 280.0 << 400.0 << " 120"
                                     << "-50"
                                     << "100.0"
                                     << "1.000E+00";
        QTest::newRow("left of the map") << -1.0 << 300.0 << ""
                                         << ""
                                         << ""
                                         << "";
        QTest::newRow("above the map") << 200.0 << 601.0 << ""
                                       << ""
                                       << ""
                                       << "";
        QTest::newRow("right of the map") << 401.0 << 300.0 << ""
                                          << ""
                                          << ""
                                          << "";
        QTest::newRow("below the map") << 200.0 << -1.0 << ""
                                       << ""
                                       << ""
                                       << "";
    }

    void readoutsAtTheCornersAndOffTheMap() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, xText);
        QFETCH(QString, zText);
        QFETCH(QString, percent);
        QFETCH(QString, kerma);
        Loaded l(bandContent());
        l.form3.showKermaAt(200, 300);  // the cross-hair shown first
        l.form3.showKermaAt(x, y);
        QCOMPARE(control<QLabel>(l.form3, "Label39")->text(), xText);
        QCOMPARE(control<QLabel>(l.form3, "Label40")->text(), zText);
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), percent);
        QCOMPARE(control<QLabel>(l.form3, "Label47")->text(), kerma);
        const bool onMap = !xText.isEmpty();
        QCOMPARE(control<forms::OverlayLine>(l.form3, "Line41")->isVisible(), onMap);
        QCOMPARE(control<forms::OverlayLine>(l.form3, "Line42")->isVisible(), onMap);
        if (onMap) {
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line41")->y1(), y);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line41")->y2(), y);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line41")->x1(), -34.0);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line41")->x2(), 430.0);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line42")->x1(), x);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line42")->y1(), 628.0);
            QCOMPARE(control<forms::OverlayLine>(l.form3, "Line42")->y2(), -20.0);
        }
    }

    void mouseMovesOverThePictureDriveTheReadout() {
        Loaded l(bandContent());
        forms::PictureBox* picture = control<forms::PictureBox>(l.form3, "Picture1");
        const QPoint border = picture->contentsRect().topLeft();
        // X = 280, Y = 400: one pixel a unit, X + 250 across, 700 - Y down.
        moveOver(picture, border + QPoint(530, 300));
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), QStringLiteral("100.0"));
        QCOMPARE(control<QLabel>(l.form3, "Label39")->text(), QStringLiteral(" 120"));
        QCOMPARE(control<QLabel>(l.form3, "Label40")->text(), QStringLiteral("-50"));
        QVERIFY(control<forms::OverlayLine>(l.form3, "Line41")->isVisible());
        moveOver(picture, border + QPoint(400, 300));
        QCOMPARE(control<QLabel>(l.form3, "Label39")->text(), QStringLiteral(" 87"));
        moveOver(picture, border + QPoint(249, 300));  // X = -1
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), QString());
        QVERIFY(!control<forms::OverlayLine>(l.form3, "Line41")->isVisible());
    }

    void conditionsAndSchematicComeFromTheLoadedResult() {
        ResultFileContent c = bandContent();
        c.conditions[0] = "15.0";   // thickness
        c.conditions[1] = "100.0";  // FSD
        c.conditions[2] = "30.0";   // first field size
        Loaded l(c);
        // The browser's boxes follow a later click on another file; the map does not.
        ResultFileContent other = bandContent();
        other.conditions[1] = "60.0";
        other.write("other.data");
        control<forms::FileListBox>(l.fx.forms->form1(), "File1")->refresh();
        clickFile(*l.fx.forms, QStringLiteral("other.data"));
        QCOMPARE(control<QLineEdit>(l.fx.forms->form1(), "Text2")->text(), QStringLiteral("60"));
        control<QPushButton>(l.fx.forms->form1(), "Command1")->click();

        forms::Form3& f = l.form3;
        QCOMPARE(control<QLineEdit>(f, "Text2")->text(), QStringLiteral("100"));
        QCOMPARE(control<QLineEdit>(f, "Text1")->text(), QStringLiteral("15"));
        QCOMPARE(control<QLineEdit>(f, "Text5")->text(), QStringLiteral("0.35"));
        QCOMPARE(control<QLineEdit>(f, "Text6")->text(), QStringLiteral("60"));
        QCOMPARE(control<QLineEdit>(f, "Text25")->text(), QStringLiteral("5.0E+08"));
        // FSD 100 cm: the focus level with the map's top, the curtain from 20 cm below it.
        QCOMPARE(control<forms::OverlayLine>(f, "Line3")->x1(), -200.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line3")->y1(), 600.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line3")->x2(), -260.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line3")->y2(), 200.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line4")->x1(), -140.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line4")->y2(), 600.0);
        QCOMPARE(control<forms::OverlayShape>(f, "Shape1")->low(), 140.0);
        QCOMPARE(control<forms::OverlayShape>(f, "Shape1")->high(), 200.0);
        QVERIFY(control<forms::OverlayLine>(f, "Line14")->isVisible());
        QVERIFY(control<QLabel>(f, "Label74")->isVisible());
        QCOMPARE(control<forms::OverlayLine>(f, "Line14")->x1(), -122.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line14")->y1(), 520.0);
        QCOMPARE(control<forms::OverlayLine>(f, "Line14")->y2(), 140.0 + 4 * 60.0);
    }

    void withoutCurtainNoLineNoLabelAndDashes() {
        ResultFileContent c = bandContent();
        c.conditions[4] = "   .000";
        Loaded l(c);
        QVERIFY(!control<forms::OverlayLine>(l.form3, "Line14")->isVisible());
        QVERIFY(!control<QLabel>(l.form3, "Label74")->isVisible());
        QCOMPARE(control<QLineEdit>(l.form3, "Text5")->text(), QStringLiteral("-"));
        QCOMPARE(control<QLineEdit>(l.form3, "Text6")->text(), QStringLiteral("-"));
    }

    void theRoomOfAResultIsDrawnWithItsEyePoints() {
        FormsFixture fx;
        bandContent().write("room.data");
        writeEyePointsBeside("room.data", {{"operator", {60, 30, -40}, 2.5e-4, 3.0}});
        openAndLoad(*fx.forms, QStringLiteral("room.data"));
        control<QPushButton>(fx.forms->form1(), "Command1")->click();
        forms::Form3& f = fx.forms->form3();
        // The eye point's mark at x = 60 cm, z = -40 cm: X = 40, Y = 360.
        QCOMPARE(pixelAt(control<forms::PictureBox>(f, "Picture1"), 40 + 250, 700 - 360),
                 QColor(255, 0, 255));
        const QString room = control<QLabel>(f, "Label77")->text();
        QVERIFY2(room.contains(QStringLiteral("目の位置 operator")), qPrintable(room));
        QVERIFY2(room.contains(QStringLiteral("遮へい板 1 枚")), qPrintable(room));
        QCOMPARE(control<QLabel>(f, "Label78")->text(), QStringLiteral("幅 90.0 cm"));
        // The exit-side table 50 cm wide, under the object.
        QCOMPARE(control<forms::OverlayShape>(f, "Shape3")->left(), -300.0);
        QCOMPARE(control<forms::OverlayShape>(f, "Shape3")->high(), 120.0);
    }

    void aMapWithoutAirKermaIsGrey() {
        ResultFileContent c = bandContent();
        for (auto& column : c.grid) column.fill(0.0);
        Loaded l(c);
        QCOMPARE(control<QLabel>(l.form3, "Label36")->text(), QStringLiteral("0.000E+00"));
        // Right of the measuring plane, where no ray of the schematic crosses.
        for (int i = 111; i <= 201; i += 15) {
            for (int j = 1; j <= 301; j += 25) {
                QCOMPARE(cellColour(l.form3, i, j), QColor(200, 200, 200));
            }
        }
        l.form3.showKermaAt(300, 300);
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), QStringLiteral("0.0"));
        QCOMPARE(control<QLabel>(l.form3, "Label47")->text(), QStringLiteral("0.000E+00"));
    }

    void thePaintingAndItsReadoutStayUntilTheNextDrawing() {
        Loaded l(bandContent());
        ResultFileContent other = bandContent();
        other.grid[15][11] = 0.5;  // the maximum is now 0.95 at (17, 9)
        other.write("other.data");
        control<forms::FileListBox>(l.fx.forms->form1(), "File1")->refresh();
        openAndLoad(*l.fx.forms, QStringLiteral("other.data"));
        QCOMPARE(cellColour(l.form3, cellColumn(15), cellRow(11)), WHITE);
        l.form3.showKermaAt(280, 400);
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), QStringLiteral("100.0"));
        control<QPushButton>(l.fx.forms->form1(), "Command1")->click();
        QCOMPARE(cellColour(l.form3, cellColumn(17), cellRow(9)), WHITE);
        l.form3.showKermaAt(280, 400);
        QCOMPARE(control<QLabel>(l.form3, "Label45")->text(), QStringLiteral("52.6"));
    }

    void readoutAddsTheNearestGridPointsErrorWhenKnown() {
        Loaded l(bandContent());
        l.form3.showKermaAt(280, 400);
        QVERIFY(control<QLabel>(l.form3, "Label76")->text().isEmpty());
        writeUncertaintiesBeside("map.data");
        control<QPushButton>(l.fx.forms->form1(), "Command11")->click();
        control<QPushButton>(l.fx.forms->form1(), "Command1")->click();
        l.form3.showKermaAt(281, 402);  // x = 120.25, z = -50.5 cm: grid point (120, -50)
        QCOMPARE(control<QLabel>(l.form3, "Label76")->text(), QStringLiteral("\u00b11.5 %"));
        l.form3.showKermaAt(399, 402);  // x = 149.75 cm: the unstable column x = 150 cm
        QCOMPARE(control<QLabel>(l.form3, "Label76")->text(), QStringLiteral("\u00b12.1 % 不安定"));
        l.form3.showKermaAt(-1, 400);
        QVERIFY(control<QLabel>(l.form3, "Label76")->text().isEmpty());
    }

    void mapExportsAsPictureAndRefinedGrid() {
        Loaded l(bandContent());
        {
            SaveNameAnswer answer(QStringLiteral("map.png"));
            triggerExport(control<forms::PictureBox>(l.form3, "Picture7"), "savePicture");
        }
        const QImage saved(QStringLiteral("map.png"));
        QVERIFY(saved.width() >= control<forms::PictureBox>(l.form3, "Picture1")->width() +
                                     control<forms::PictureBox>(l.form3, "Picture7")->width());
        SaveNameAnswer answer(QStringLiteral("grid.csv"));
        triggerExport(control<forms::PictureBox>(l.form3, "Picture1"), "saveCsv");
        QCOMPARE(answer.suggestions.back(), QStringLiteral("map_map.csv"));
        const std::vector<std::string> csv = readTextFile("grid.csv", FileKind::CsvTable).lines;
        QCOMPARE(csv.size(), std::size_t{1 + 201 * 301});
        QCOMPARE(csv[0], std::string("x_cm,z_cm,air_kerma_Gy_per_Gy,percent_of_max"));
        // The maximum at x = 120 cm, z = -50 cm: cell (141, 101).
        QVERIFY(csv[1 + 100 * 201 + 140].rfind("120,-50,", 0) == 0);
        QVERIFY(csv[1 + 100 * 201 + 140].find(",100") != std::string::npos);
    }

    void theWindowRepaintsFromItsImageAfterBeingHidden() {
        Loaded l(bandContent());
        control<QPushButton>(l.form3, "Command1")->click();
        QVERIFY(!l.form3.isVisible());
        control<QPushButton>(l.fx.forms->form1(), "Command1")->click();
        l.form3.hide();
        l.form3.show();
        const QImage shown = control<forms::PictureBox>(l.form3, "Picture1")->grab().toImage();
        const QPoint border =
            control<forms::PictureBox>(l.form3, "Picture1")->contentsRect().topLeft();
        QCOMPARE(shown.pixelColor(border + cellPixel(cellColumn(17), cellRow(5))),
                 QColor(255, 0, 0));
        QCOMPARE(shown.pixelColor(border + cellPixel(cellColumn(15), cellRow(11))), WHITE);
    }
};

QTEST_MAIN(Form3Test)
#include "form3_kerma_map_test.moc"
