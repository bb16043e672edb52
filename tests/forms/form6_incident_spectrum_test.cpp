// The incident spectrum window: the plot's pixels in Picture3's 6000 x 2500
// user coordinates, and OK / Cancel with the HVL results.
#include "app/forms/form6_incident_spectrum.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/forms/form2_main_input.h"
#include "app/widgets/picture_box.h"
#include "common/text_file.h"
#include "fakes.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

QLineEdit* box(QWidget& form, const char* name) {
    QLineEdit* found = form.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!found) qFatal("no text box %s on %s", name, qPrintable(form.objectName()));
    return found;
}

const QColor RED(255, 0, 0);
const QColor GREY(128, 128, 128);
const QColor BLACK(0, 0, 0);

//! Rows of column `x` (image pixels) that hold `colour`.
QList<int> rowsOf(const QImage& image, int x, const QColor& colour) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) == colour) rows << y;
    }
    return rows;
}

//! A triangle-shaped spectrum peaking at `peakBin` and empty above `lastBin`.
app::SpectrumArray triangleSpectrum(int peakBin, int lastBin, double peak) {
    app::SpectrumArray spectrum{};
    for (int i = 2; i <= lastBin; ++i) {
        const double share =
            i <= peakBin ? double(i) / peakBin : double(lastBin - i) / (lastBin - peakBin);
        spectrum[static_cast<std::size_t>(i)] = peak * share;
    }
    return spectrum;
}

void writeHvlFile(const QByteArray& content) {
    QFile file(QString::fromLatin1(HVL_FILE));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

class Form6Test : public QObject {
    Q_OBJECT

private slots:
    void tallestStepTouchesTopAndBinsAbovePeakVoltageLieOnBottom() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 3.7e-4), 3.7e-4);
        QVERIFY(form6.isVisible());
        auto* picture = form6.findChild<forms::PictureBox*>(QStringLiteral("Picture3"));
        QVERIFY(picture);
        const QImage& image = picture->image();
        const int top = picture->toPixel(0, 100).y();
        const int bottom = picture->toPixel(0, 2100).y();

        // The step of bin 70 (x 2042.5 ... 2057.5) reaches the frame's top line.
        const int peakX = picture->toPixel(1000 + 15 * 70, 0).x();
        const QList<int> peakRows = rowsOf(image, peakX, RED);
        QVERIFY(!peakRows.isEmpty());
        QVERIFY2(std::abs(peakRows.first() - top) <= 1,
                 qPrintable(QString::number(peakRows.first())));
        // Nothing red lies above the top of the frame anywhere.
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < top - 1; ++y) QVERIFY(image.pixelColor(x, y) != RED);
        }
        // Bins 161 ... 300 (above 80 kV) lie on the bottom line, under the frame drawn
        // last: no red anywhere in their columns, while bins below 80 kV show.
        for (int bin : {165, 200, 250, 299}) {
            const int x = picture->toPixel(1000 + 15 * bin, 0).x();
            QVERIFY2(rowsOf(image, x, RED).isEmpty(), qPrintable(QString::number(bin)));
            QCOMPARE(image.pixelColor(x, bottom), BLACK);
        }
        const int x150 = picture->toPixel(1000 + 15 * 150, 0).x();
        QVERIFY(!rowsOf(image, x150, RED).isEmpty());
        QVERIFY(rowsOf(image, x150, RED).last() < bottom - 1);
        // A bin at half the peak lies halfway: y = 2100 - 2000 * 0.5 = 1100.
        const int halfX = picture->toPixel(1000 + 15 * 35, 0).x();
        const QList<int> halfRows = rowsOf(image, halfX, RED);
        QVERIFY(halfRows.contains(picture->toPixel(0, 1100).y()));
        QVERIFY(halfRows.last() <= picture->toPixel(0, 1100).y() + 1);
    }

    void gridTextsAndFrame() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        auto* picture = form6.findChild<forms::PictureBox*>(QStringLiteral("Picture3"));
        const QImage& image = picture->image();
        // Grid: vertical at 10 keV (x 1300) and 140 keV (x 5200); horizontal at y 300 ... 1900.
        QCOMPARE(image.pixelColor(picture->toPixel(1300, 700)), GREY);
        QCOMPARE(image.pixelColor(picture->toPixel(5200, 700)), GREY);
        QCOMPARE(image.pixelColor(picture->toPixel(4800, 300)), GREY);
        QCOMPARE(image.pixelColor(picture->toPixel(4800, 1900)), GREY);
        QVERIFY(image.pixelColor(picture->toPixel(4800, 2000)) != GREY);
        // Frame: black, 2 pixels wide, on all four sides.
        QCOMPARE(image.pixelColor(picture->toPixel(1000, 1500)), BLACK);
        QCOMPARE(image.pixelColor(picture->toPixel(5500, 1500)), BLACK);
        QCOMPARE(image.pixelColor(picture->toPixel(4800, 100)), BLACK);
        QCOMPARE(image.pixelColor(picture->toPixel(4800, 2100)), BLACK);
        // The axis texts stand below the frame and left of it.
        bool textBelow = false;
        for (int y = picture->toPixel(0, 2130).y(); y < picture->toPixel(0, 2400).y(); ++y) {
            for (int x = picture->toPixel(3750, 0).x(); x < picture->toPixel(4500, 0).x(); ++x) {
                textBelow = textBelow || image.pixelColor(x, y) == BLACK;
            }
        }
        QVERIFY(textBelow);
    }

    void exportsTheDrawnSpectrumAsCsv() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        const app::SpectrumArray spectrum = triangleSpectrum(70, 160, 3.7e-4);
        form6.drawIncidentSpectrum(spectrum, 3.7e-4);
        SaveNameAnswer answer(QStringLiteral("incident"));
        triggerExport(form6.findChild<forms::PictureBox*>(QStringLiteral("Picture3")), "saveCsv");
        const std::vector<std::string> csv = readTextFile("incident.csv", FileKind::CsvTable).lines;
        QCOMPARE(csv.size(), std::size_t{301});
        QCOMPARE(csv[0], std::string("energy_keV,photons_relative_to_peak"));
        QCOMPARE(csv[70].substr(0, 3), std::string("35,"));
        // As drawn: relative to the largest bin.
        const double peak = *std::max_element(spectrum.begin(), spectrum.end());
        QCOMPARE(std::stod(csv[70].substr(3)), spectrum[70] / peak);
    }

    void drawingAgainReplacesThePlot() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        form6.drawIncidentSpectrum(triangleSpectrum(150, 290, 1), 1);
        auto* picture = form6.findChild<forms::PictureBox*>(QStringLiteral("Picture3"));
        const int x70 = picture->toPixel(1000 + 15 * 70, 0).x();
        const QList<int> rows = rowsOf(picture->image(), x70, RED);
        // Only the second curve remains: bin 70 at 70/150 of the peak, nothing at the old peak.
        QVERIFY(!rows.isEmpty());
        const int expected = picture->toPixel(0, 2100 - 2000 * 70.0 / 150).y();
        for (int row : rows) QVERIFY(std::abs(row - expected) <= 3);
    }

    void okFillsReferenceFieldsFocusesLeadAndHides() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        QVERIFY(QTest::qWaitForWindowActive(&form2));
        forms::Form6& form6 = fx.forms->form6();
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        writeHvlFile(" 2.535\r\n 32.10\r\n 5.123\r\n 40.00\r\n   123456789012.\r\n");
        // OK is the default button: Enter anywhere in the window presses it.
        QCOMPARE(form6.defaultButton(), form6.findChild<QPushButton*>(QStringLiteral("Command1")));
        QTest::keyClick(&form6, Qt::Key_Return);
        QCOMPARE(form2.findChild<QLineEdit*>("Text9")->text(), QStringLiteral("2.535"));
        QCOMPARE(form2.findChild<QLineEdit*>("Text10")->text(), QStringLiteral("32.10"));
        QCOMPARE(form2.findChild<QLineEdit*>("Text11")->text(), QStringLiteral("1.235E+11"));
        QVERIFY(!form6.isVisible());
        QTRY_VERIFY(form2.findChild<QLineEdit*>("Text8")->hasFocus());
        QVERIFY(fx.recorder.messages.empty());
    }

    void effectiveEnergyOfHundredKeVKeepsAllDigits() {
        FormsFixture fx;
        writeHvlFile("10.2,100.456,11,120.5,5E10\n");
        fx.forms->form6().readHvlResults();
        QCOMPARE(box(fx.forms->form2(), "Text9")->text(), QStringLiteral("10.200"));
        QCOMPARE(box(fx.forms->form2(), "Text10")->text(), QStringLiteral("100.46"));
        QCOMPARE(box(fx.forms->form2(), "Text11")->text(), QStringLiteral("5.000E+10"));
    }

    void okWaitsForTavisenToWriteTheFile() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.setHvlWaitMs(5000);
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        QTimer::singleShot(300, [] { writeHvlFile(" 3.000\r\n 35.00\r\n 6\r\n 41\r\n 9.\r\n"); });
        form6.readHvlResults();
        QCOMPARE(box(fx.forms->form2(), "Text9")->text(), QStringLiteral("3.000"));
        QVERIFY(fx.recorder.messages.empty());
    }

    void okWithoutResultsSaysSoAndChangesNothing() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.setHvlWaitMs(200);
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        box(fx.forms->form2(), "Text9")->setText(QStringLiteral("1.111"));
        writeHvlFile(" 2.535\r\n 32.10\r\n");  // incomplete
        QTest::mouseClick(form6.findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Exclamation);
        QVERIFY(fx.recorder.messages[0].text.contains(QStringLiteral("HVL_S2.dat")));
        QCOMPARE(box(fx.forms->form2(), "Text9")->text(), QStringLiteral("1.111"));
        QVERIFY(form6.isVisible());
        QVERIFY(form6.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
    }

    void cancelHidesAndLeavesReferenceFields() {
        FormsFixture fx;
        forms::Form6& form6 = fx.forms->form6();
        form6.drawIncidentSpectrum(triangleSpectrum(70, 160, 1), 1);
        writeHvlFile(" 2.535\r\n 32.10\r\n 5.123\r\n 40.00\r\n 1.\r\n");
        QTest::mouseClick(form6.findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        QVERIFY(!form6.isVisible());
        QCOMPARE(box(fx.forms->form2(), "Text9")->text(), QString());
        QCOMPARE(form6.windowTitle(), QStringLiteral("Incident X-ray spectrum"));
    }
};

QTEST_MAIN(Form6Test)
#include "form6_incident_spectrum_test.moc"
