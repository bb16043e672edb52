// The picture area: its user-coordinate transform, each drawing operation's
// pixels, the palette, and repainting from the kept image.
#include "app/widgets/picture_box.h"

#include <QTest>

#include "app/widgets/palette.h"
#include "app/widgets/twips.h"

using namespace korvana::forms;

class PictureBoxTest : public QObject {
    Q_OBJECT

private slots:
    void twipsConvertAtFifteenPerPixel() {
        QCOMPARE(twipsToPixels(15), 1);
        QCOMPARE(twipsToPixels(10935), 729);
        QCOMPARE(twipsToPixels(6375), 425);
        QCOMPARE((TwipRect{120, 120, 10935, 6375}.toPixels()), QRect(8, 8, 729, 425));
    }

    void innerAreaExcludesBorder() {
        PictureBox box(nullptr, QSize(729, 425));
        QCOMPARE(box.image().size(), QSize(725, 421));
        PictureBox icon(nullptr, QSize(32, 32), PictureBorder::None);
        QCOMPARE(icon.image().size(), QSize(32, 32));
    }

    void userCoordinatesMapOntoInnerArea() {
        PictureBox box(nullptr, QSize(729, 425));
        box.setScale(0, 0, 6000, 2500);
        QCOMPARE(box.toPixelF(0, 0), QPointF(0, 0));
        QCOMPARE(box.toPixelF(6000, 2500), QPointF(725, 421));
        QCOMPARE(box.toPixelF(3000, 1250), QPointF(362.5, 210.5));
        QCOMPARE(box.toPixel(1000, 100), QPoint(121, 17));    // 120.83, 16.84
        QCOMPARE(box.toPixel(5500, 2100), QPoint(665, 354));  // 664.58, 353.64
        // A scale with its origin elsewhere and y growing upward.
        box.setScale(-100, 50, 200, -100);
        QCOMPARE(box.toPixelF(-100, 50), QPointF(0, 0));
        QCOMPARE(box.toPixelF(100, -50), QPointF(725, 421));
    }

    void clearFillsWithBackColour() {
        PictureBox box(nullptr, QSize(24, 24));
        box.line(0, 0, 19, 19, Qt::black);
        box.setBackColor(QColor(1, 2, 3));
        box.clear();
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) QCOMPARE(box.image().pixelColor(x, y), QColor(1, 2, 3));
        }
    }

    void lineSetsExactColourAndWidth() {
        PictureBox box(nullptr, QSize(104, 104));
        box.setScale(0, 0, 1000, 1000);
        box.line(100, 500, 900, 500, paletteColor(12));
        QCOMPARE(box.image().pixelColor(50, 50), QColor(255, 0, 0));
        QCOMPARE(box.image().pixelColor(50, 48), QColor(Qt::white));
        QCOMPARE(box.image().pixelColor(50, 51), QColor(Qt::white));
        box.setDrawWidth(3);
        box.line(100, 200, 900, 200, paletteColor(9));
        int blueRows = 0;
        for (int y = 15; y < 26; ++y)
            blueRows += box.image().pixelColor(50, y) == QColor(0, 0, 255);
        QCOMPARE(blueRows, 3);
    }

    void lineToStartsAtCurrentPosition() {
        PictureBox box(nullptr, QSize(104, 104));
        box.setScale(0, 0, 100, 100);
        box.point(10, 10, Qt::black);
        QCOMPARE(box.currentPosition(), QPointF(10, 10));
        box.lineTo(10, 80, paletteColor(10));
        box.lineTo(60, 80, paletteColor(10));
        QCOMPARE(box.currentPosition(), QPointF(60, 80));
        QCOMPARE(box.image().pixelColor(10, 50), QColor(0, 255, 0));
        QCOMPARE(box.image().pixelColor(40, 80), QColor(0, 255, 0));
        QCOMPARE(box.image().pixelColor(40, 50), QColor(Qt::white));
    }

    void rectangleOutlineAndFill() {
        PictureBox box(nullptr, QSize(104, 104));
        box.setScale(0, 0, 100, 100);
        box.rectangle(20, 20, 80, 60, Qt::black);
        QCOMPARE(box.image().pixelColor(20, 40), QColor(Qt::black));
        QCOMPARE(box.image().pixelColor(80, 40), QColor(Qt::black));
        QCOMPARE(box.image().pixelColor(50, 20), QColor(Qt::black));
        QCOMPARE(box.image().pixelColor(50, 60), QColor(Qt::black));
        QCOMPARE(box.image().pixelColor(50, 40), QColor(Qt::white));
        box.filledRectangle(20, 20, 80, 60, paletteColor(8));
        QCOMPARE(box.image().pixelColor(50, 40), QColor(128, 128, 128));
        QCOMPARE(box.image().pixelColor(80, 60), QColor(128, 128, 128));
        QCOMPARE(box.image().pixelColor(81, 61), QColor(Qt::white));
    }

    void pointHasPenWidth() {
        PictureBox box(nullptr, QSize(104, 104));
        box.setScale(0, 0, 100, 100);
        box.point(50, 50, Qt::red);
        QCOMPARE(box.image().pixelColor(50, 50), QColor(Qt::red));
        QCOMPARE(box.image().pixelColor(51, 50), QColor(Qt::white));
    }

    void textIsDrawnBelowRightOfItsCorner() {
        PictureBox box(nullptr, QSize(204, 104));
        box.setScale(0, 0, 200, 100);
        box.text(100, 50, QStringLiteral("Relative"), Qt::black);
        int darkLeftOrAbove = 0;
        int darkInside = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                const bool dark = box.image().pixelColor(x, y).lightness() < 128;
                if (x < 100 || y < 50)
                    darkLeftOrAbove += dark;
                else
                    darkInside += dark;
            }
        }
        QCOMPARE(darkLeftOrAbove, 0);
        QVERIFY(darkInside > 10);
    }

    void paletteHasTheSixteenColours() {
        QCOMPARE(paletteColor(0), QColor(0, 0, 0));
        QCOMPARE(paletteColor(8), QColor(128, 128, 128));
        QCOMPARE(paletteColor(9), QColor(0, 0, 255));
        QCOMPARE(paletteColor(10), QColor(0, 255, 0));
        QCOMPARE(paletteColor(12), QColor(255, 0, 0));
        QCOMPARE(paletteColor(15), QColor(255, 255, 255));
        QCOMPARE(paletteColor(7), QColor(192, 192, 192));
        QCOMPARE(rgbColor(128, 128, 128), paletteColor(8));
    }

    void coveredWindowRepaintsFromImage() {
        PictureBox box(nullptr, QSize(104, 104));
        box.setScale(0, 0, 100, 100);
        box.filledRectangle(10, 10, 30, 30, paletteColor(12));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.hide();
        box.show();
        const QImage shown = box.grab().toImage();
        // The inner area starts inside the 2-pixel border.
        QCOMPARE(shown.pixelColor(2 + 20, 2 + 20), QColor(255, 0, 0));
        QCOMPARE(shown.pixelColor(2 + 60, 2 + 60), QColor(Qt::white));
    }
};

QTEST_MAIN(PictureBoxTest)
#include "picture_box_test.moc"
