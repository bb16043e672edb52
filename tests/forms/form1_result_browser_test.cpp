// The result browser driven by control name: the file list, the conditions
// of a result file written by the engine, OK into the shared result, the air
// kerma column, the plots' pixels, the angle rule, Reset, Exit, the lead
// protected column and damaged files.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

#include "app/common/picture_format.h"
#include "app/forms/form10_conversion_factor.h"
#include "app/forms/form3_kerma_map.h"
#include "app/forms/form4_geometry.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "engine_result_file.h"
#include "fakes.h"
#include "result_file_builder.h"
#include "uncertainty_fixture.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

const QColor WHITE(255, 255, 255);
const QColor BLACK(0, 0, 0);
const QColor RED(255, 0, 0);
const QColor BLUE(0, 0, 255);
const QColor GREY(128, 128, 128);

// Boxes of the twelve conditions in file order (lines 311-322).
const char* const CONDITION_BOXES[] = {"Text1", "Text2", "Text3",  "Text4",  "Text26", "Text27",
                                       "Text9", "Text8", "Text12", "Text10", "Text11", "Text25"};
const char* const KERMA_BOXES[] = {"Text6",  "Text7",  "Text13", "Text14",
                                   "Text15", "Text16", "Text17"};
const char* const PROTECTED_BOXES[] = {"Text18", "Text19", "Text20", "Text21",
                                       "Text22", "Text23", "Text24"};

QString text(forms::Form1& form, const char* name) {
    return control<QLineEdit>(form, name)->text();
}

// A file whose spectra are single-bin peaks: the primary at bin 100 with a
// half-height bin 60, angle k at bin 40 + 20 k with height k (so angle 9 holds
// the largest scattered peak), half height one bin to the left.
ResultFileContent peakedContent() {
    ResultFileContent c = ResultFileContent::plausible();
    c.primary.fill(0.0);
    c.primary[100] = 0.02;
    c.primary[60] = 0.01;
    for (int k = 1; k <= 9; ++k) {
        c.scatter[k].fill(0.0);
        c.scatter[k][40 + 20 * k] = 0.01 * k;
        c.scatter[k][40 + 20 * k - 2] = 0.005 * k;
    }
    return c;
}

int peakColumn(int k) { return static_cast<int>(100 + 2.5 * (40 + 20 * k)); }

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void openingPutsTheBrowserInItsFirstState() {
        FormsFixture fx;
        touch("b.data");
        touch("A.data");
        touch("notes.txt");
        forms::Form1& form1 = fx.forms->form1();
        control<QLineEdit>(form1, "Text1")->setText(QStringLiteral("old"));
        control<QLineEdit>(form1, "Text5")->setText(QStringLiteral("3"));
        control<QRadioButton>(form1, "Option2")->click();
        control<QCheckBox>(form1, "Check1")->setChecked(true);
        fx.forms->form2().findChild<QPushButton*>(QStringLiteral("Command2"))->click();

        QVERIFY(form1.isVisible());
        QVERIFY(!fx.forms->form2().isVisible());
        QCOMPARE(form1.windowTitle(), QStringLiteral("Side Scattered X-ray Spectrum"));
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->count(), 2);
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->item(0)->text(),
                 QStringLiteral("A.data"));
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->item(1)->text(),
                 QStringLiteral("b.data"));
        for (QLineEdit* box : form1.findChildren<QLineEdit*>(QRegularExpression("^Text\\d+$"))) {
            QCOMPARE(box->text(),
                     box == control<QLineEdit>(form1, "Text5") ? QStringLiteral("0") : QString());
        }
        QVERIFY(!control<QCheckBox>(form1, "Check1")->isChecked());
        QVERIFY(control<QRadioButton>(form1, "Option1")->isChecked());
        QCOMPARE(form1.drawColour(), 12);
        for (const char* name : {"Command1", "Command2", "Command5", "Command6", "Command8"}) {
            QVERIFY2(!control<QPushButton>(form1, name)->isEnabled(), name);
        }
        for (const char* name : {"Command11", "Command4", "Command3", "Command10"}) {
            QVERIFY2(control<QPushButton>(form1, name)->isEnabled(), name);
        }
        QCOMPARE(control<QComboBox>(form1, "Combo1")->currentText(), QStringLiteral("90"));
        QCOMPARE(countNot(control<forms::PictureBox>(form1, "Picture1")->image(),
                          control<forms::PictureBox>(form1, "Picture1")->image().rect(), WHITE),
                 0);
    }

    void onASmallScreenTheBrowserFitsAndScrolls() {
        FormsFixture fx;
        forms::Form1& form1 = fx.forms->form1();
        fx.forms->form2().findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        const QRect available = form1.screen()->availableGeometry();
        const QSize designed = form1.page()->size();
        QVERIFY2(designed.width() > available.width(), "the test screen is meant to be smaller");
        QVERIFY(form1.width() <= available.width() && form1.height() <= available.height());
        QVERIFY(available.contains(form1.pos()));
        QVERIFY(form1.scrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(form1.scrollArea()->horizontalScrollBar()->maximum() > 0);
        // The page keeps its designed size; resizing the window only scrolls it.
        form1.resize(designed + QSize(100, 100));
        QCOMPARE(form1.page()->size(), designed);
        QTRY_VERIFY(!form1.scrollArea()->horizontalScrollBar()->isVisible());
    }

    void conditionBoxesAreReadOnlyAndOutOfTheTabChain() {
        FormsFixture fx;
        forms::Form1& form1 = fx.forms->form1();
        for (const char* name : CONDITION_BOXES) {
            QVERIFY2(control<QLineEdit>(form1, name)->isReadOnly(), name);
            QVERIFY2(!(control<QLineEdit>(form1, name)->focusPolicy() & Qt::TabFocus), name);
        }
        QVERIFY(!control<QLineEdit>(form1, "Text5")->isReadOnly());
    }

    void aResultFileThatAppearsIsListedAndTheSelectionStays() {
        FormsFixture fx;
        touch("b.data");
        openAndClick(*fx.forms, QStringLiteral("b.data"));
        forms::Form1& form1 = fx.forms->form1();
        // Written under another name and renamed into place, as the engine does.
        touch("a.tmp");
        QVERIFY(QFile::rename(QStringLiteral("a.tmp"), QStringLiteral("a.data")));
        QTRY_COMPARE(control<forms::FileListBox>(form1, "File1")->count(), 2);
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->item(0)->text(),
                 QStringLiteral("a.data"));
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->selectedFileName(),
                 QStringLiteral("b.data"));
        QVERIFY(QFile::remove(QStringLiteral("a.data")));
        QTRY_COMPARE(control<forms::FileListBox>(form1, "File1")->count(), 1);
        QCOMPARE(control<forms::FileListBox>(form1, "File1")->selectedFileName(),
                 QStringLiteral("b.data"));
    }

    void clickShowsTheTwelveConditionsOfAnEngineFile() {
        FormsFixture fx;
        RunFileValues run;
        run.leadCm = "0.025";
        run.fieldXCm = "30.0";
        writeEngineResultFile(run);
        forms::Form1& form1 = fx.forms->form1();
        openAndClick(*fx.forms, QStringLiteral("case.data"));

        const char* expected[] = {"20", "80", "25",  "30",  "0.25", "60",
                                  "80", "12", "2.5", "1.5", "0",    "2.0E+04"};
        for (int n = 0; n < 12; ++n) {
            QCOMPARE(text(form1, CONDITION_BOXES[n]), QString::fromLatin1(expected[n]));
        }
        // A click only shows: nothing is loaded, nothing enabled.
        QVERIFY(fx.forms->state().resultSet.fileName.empty());
        QVERIFY(!control<QPushButton>(form1, "Command5")->isEnabled());
        QVERIFY(fx.recorder.messages.empty());
    }

    void okLoadsTheFileAndShowsTheAirKermaOfLines302To310() {
        FormsFixture fx;
        RunFileValues run;
        run.leadCm = "0.025";
        const std::vector<std::string> lines = writeEngineResultFile(run);
        forms::Form1& form1 = fx.forms->form1();
        openAndClick(*fx.forms, QStringLiteral("case.data"));
        // OK does not rewrite the browser's condition boxes.
        control<QLineEdit>(form1, "Text1")->setText(QStringLiteral("typed"));
        control<QPushButton>(form1, "Command11")->click();

        QVERIFY(fx.recorder.messages.empty());
        QCOMPARE(fx.forms->state().resultSet.fileName, std::string("case.data"));
        QCOMPARE(control<QLineEdit>(form1, "Text1")->text(), QStringLiteral("typed"));
        for (int k = 2; k <= 8; ++k) {
            const std::vector<double> values = numbersOfLine(lines[301 + k - 1]);
            QCOMPARE(values.size(), std::size_t(3));
            QCOMPARE(text(form1, KERMA_BOXES[k - 2]),
                     QString::fromStdString(app::formatPicture(values[2], "0.000E+00")));
            QCOMPARE(fx.forms->state().resultSet.pointKermaRatio[k], values[2]);
        }
        for (const char* name : {"Command1", "Command2", "Command5", "Command6", "Command8"}) {
            QVERIFY2(control<QPushButton>(form1, name)->isEnabled(), name);
        }
        // The axes: the black frame, grey grid lines, white inside.
        const forms::PictureBox* plot = control<forms::PictureBox>(form1, "Picture1");
        QCOMPARE(pixelAt(plot, 100, 300), BLACK);
        QCOMPARE(pixelAt(plot, 850, 300), BLACK);
        QCOMPARE(pixelAt(plot, 325, 510), BLACK);
        QCOMPARE(pixelAt(plot, 150, 300), GREY);
        QCOMPARE(pixelAt(plot, 300, 460), GREY);
        QCOMPARE(pixelAt(plot, 175, 285), WHITE);
        QVERIFY(!fx.forms->form3().isVisible());
        // The map window shows the conditions of the result it paints (the
        // curtain 0.25 mm, 60 cm), and keeps them while another result is loaded.
        control<QPushButton>(form1, "Command1")->click();
        QCOMPARE(control<QLineEdit>(fx.forms->form3(), "Text5")->text(), QStringLiteral("0.25"));
        QCOMPARE(control<QLineEdit>(fx.forms->form3(), "Text6")->text(), QStringLiteral("60"));
        QCOMPARE(control<QLineEdit>(fx.forms->form3(), "Text25")->text(),
                 QStringLiteral("2.0E+04"));
        ResultFileContent::plausible().write("other.data");
        control<forms::FileListBox>(form1, "File1")->refresh();
        clickFile(*fx.forms, QStringLiteral("other.data"));
        control<QPushButton>(form1, "Command11")->click();
        QCOMPARE(control<QLineEdit>(fx.forms->form3(), "Text5")->text(), QStringLiteral("0.25"));
    }

    void relativeErrorsStandBesideTheAirKermaWhenTheResultHasThem() {
        const char* errorNames[] = {"Label80", "Label81", "Label82", "Label83",
                                    "Label84", "Label85", "Label86"};
        FormsFixture fx;
        writeEngineResultFile(viewerRun());
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
        for (const char* name : errorNames) QVERIFY(control<QLabel>(form1, name)->text().isEmpty());

        writeUncertaintiesBeside("case.data");
        const QString kermaText = control<QLineEdit>(form1, "Text6")->text();
        control<QPushButton>(form1, "Command11")->click();
        QVERIFY(fx.recorder.messages.empty());
        for (int k = 2; k <= 8; ++k) {
            const QString expected = QStringLiteral("\u00b1%1.0%").arg(k);
            QCOMPARE(control<QLabel>(form1, errorNames[k - 2])->text(), expected);
            QVERIFY(control<QLineEdit>(form1, KERMA_BOXES[k - 2])->toolTip().contains("%"));
            // Only the 120 degree point's error estimate is unstable: a warning
            // colour and an explanation there alone.
            const bool warned = control<QLabel>(form1, errorNames[k - 2])
                                    ->toolTip()
                                    .contains(QStringLiteral("不安定"));
            QCOMPARE(warned, k == 7);
            QCOMPARE(control<QLabel>(form1, errorNames[k - 2])->styleSheet() !=
                         control<QLabel>(form1, errorNames[0])->styleSheet(),
                     k == 7);
        }
        QCOMPARE(control<QLineEdit>(form1, "Text6")->text(), kermaText);
        QCOMPARE(control<QLabel>(form1, "Label87")->text(), QStringLiteral("推定法: アナログ"));

        // A damaged file: the result as before, without errors, and a warning.
        writeLines("case.unc.csv", {"kind,angle_deg", "point,30"});
        control<QPushButton>(form1, "Command11")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        const forms::MessageRecord& warning = fx.recorder.messages[0];
        QVERIFY(warning.icon == forms::MessageIcon::Exclamation);
        QVERIFY2(warning.text.contains(QStringLiteral("case.unc.csv")) &&
                     warning.text.contains(QStringLiteral("1 行目")),
                 qPrintable(warning.text));
        QCOMPARE(fx.forms->state().resultSet.fileName, std::string("case.data"));
        QVERIFY(control<QPushButton>(form1, "Command1")->isEnabled());
        QCOMPARE(control<QLineEdit>(form1, "Text6")->text(), kermaText);
        for (const char* name : errorNames) QVERIFY(control<QLabel>(form1, name)->text().isEmpty());
        QVERIFY(control<QLabel>(form1, "Label87")->text().isEmpty());
    }

    void plotExportsAsSvgWithItsPolylineAndTheNumbersAsCsv() {
        FormsFixture fx;
        writeEngineResultFile(viewerRun());
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
        forms::Form1& form1 = fx.forms->form1();
        control<QPushButton>(form1, "Command5")->click();
        {
            SaveNameAnswer answer(QStringLiteral("plot.svg"));
            triggerExport(control<forms::PictureBox>(form1, "Picture1"), "savePicture");
        }
        QFile svg(QStringLiteral("plot.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        int longestPolyline = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("polyline")) {
                const QString points = xml.attributes().value("points").toString();
                longestPolyline =
                    std::max<int>(longestPolyline, points.split(' ', Qt::SkipEmptyParts).size());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // The primary curve: one point per bin, joined into one line.
        QVERIFY2(longestPolyline >= 299, qPrintable(QString::number(longestPolyline)));

        SaveNameAnswer answer(QStringLiteral("spectra.csv"));
        triggerExport(control<forms::PictureBox>(form1, "Picture1"), "saveCsv");
        QCOMPARE(answer.suggestions.back(), QStringLiteral("case_spectra.csv"));
        const std::vector<std::string> spectra =
            readTextFile("spectra.csv", FileKind::CsvTable).lines;
        QCOMPARE(spectra.size(), std::size_t{301});
        QVERIFY(spectra[0].rfind("energy_keV,primary,scatter_30deg,", 0) == 0);
        QVERIFY(spectra[1].rfind("0.5,", 0) == 0);

        control<QLineEdit>(form1, "Text5")->setText(QStringLiteral("0.5"));
        writeUncertaintiesBeside("case.data");
        control<QPushButton>(form1, "Command11")->click();
        SaveNameAnswer kermaAnswer(QStringLiteral("kerma.csv"));
        triggerExport(control<forms::PictureBox>(form1, "Picture1"), "saveCsv2");
        const std::vector<std::string> kerma = readTextFile("kerma.csv", FileKind::CsvTable).lines;
        QCOMPARE(kerma.size(), std::size_t{10});
        QCOMPARE(kerma[0], std::string("angle_deg,air_kerma_Gy_per_Gy,rel_std_error_percent,"
                                       "air_kerma_behind_0.5_mm_Pb_Gy_per_Gy"));
        QVERIFY(kerma[2].rfind("45,", 0) == 0);
        QVERIFY(fx.recorder.messages.empty());
    }

    void okWithoutSelectionOnlyWarns() {
        FormsFixture fx;
        ResultFileContent::plausible().write("p.data");
        forms::Form1& form1 = fx.forms->form1();
        fx.forms->form1().openResultBrowser();
        control<QPushButton>(form1, "Command11")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t(1));
        QCOMPARE(fx.recorder.messages[0].text, QStringLiteral(" ファイルを選択して下さい "));
        QCOMPARE(fx.recorder.messages[0].icon, forms::MessageIcon::Exclamation);
        QVERIFY(!control<QPushButton>(form1, "Command5")->isEnabled());
        QVERIFY(fx.forms->state().resultSet.fileName.empty());
        // A click method without a selection does nothing.
        form1.File1_Click();
        QCOMPARE(control<QLineEdit>(form1, "Text1")->text(), QString());
        QCOMPARE(fx.recorder.messages.size(), std::size_t(1));
    }

    void damagedFileIsReportedAndThePreviousResultStays() {
        FormsFixture fx;
        ResultFileContent good = ResultFileContent::plausible();
        good.write("good.data");
        std::vector<std::string> shortLines = good.lines();
        shortLines.resize(330);
        writeLines("short.data", shortLines);
        std::vector<std::string> badLines = good.lines();
        badLines[312] = "twenty";
        writeLines("bad.data", badLines);
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("good.data"));
        const QString kerma45 = control<QLineEdit>(form1, "Text6")->text();
        QCOMPARE(kerma45, QStringLiteral("2.000E-04"));
        control<QPushButton>(form1, "Command5")->click();
        const QImage plotted = control<forms::PictureBox>(form1, "Picture1")->image();

        for (const QString& name : {QStringLiteral("short.data"), QStringLiteral("bad.data")}) {
            fx.recorder.messages.clear();
            const QString conditionBefore = control<QLineEdit>(form1, "Text2")->text();
            const forms::FileListBox* list = control<forms::FileListBox>(form1, "File1");
            const auto item = list->findItems(name, Qt::MatchExactly).front();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(item).center());
            control<QPushButton>(form1, "Command11")->click();
            QVERIFY(!fx.recorder.messages.empty());
            for (const forms::MessageRecord& m : fx.recorder.messages) {
                QVERIFY2(m.text.contains(name), qPrintable(m.text));
                QCOMPARE(m.icon, forms::MessageIcon::Critical);
            }
            QCOMPARE(control<QLineEdit>(form1, "Text2")->text(), conditionBefore);
            QCOMPARE(fx.forms->state().resultSet.fileName, std::string("good.data"));
            QCOMPARE(control<QLineEdit>(form1, "Text6")->text(), kerma45);
            QCOMPARE(control<forms::PictureBox>(form1, "Picture1")->image(), plotted);
            QVERIFY(control<QPushButton>(form1, "Command5")->isEnabled());
        }
        // The short file's conditions still read (they precede the damage); the
        // bad one's FSD line does not.
        QVERIFY(fx.recorder.messages.back().text.contains(QStringLiteral("313")));
    }

    void primaryCurveAndLegend() {
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        control<QPushButton>(form1, "Command5")->click();
        const forms::PictureBox* plot = control<forms::PictureBox>(form1, "Picture1");
        // Bin 60 holds half the peak: y = 510 - 250 = 260 at x = 250.
        QCOMPARE(pixelAt(plot, 250, 260), BLACK);
        // Bin 100 is the peak: the rising side reaches the frame at y = 10.
        QCOMPARE(pixelAt(plot, 349, 14), BLACK);
        QCOMPARE(pixelAt(plot, 340, 14), WHITE);
        // Legend: line (600, 65) - (690, 65), "Primary" from (700, 47).
        QCOMPARE(pixelAt(plot, 645, 65), BLACK);
        QVERIFY(countNot(plot->image(), QRect(700, 47, 80, 20), WHITE) > 20);
    }

    void scatteredPeaksReachTheTopUnlessScaledToTheLargest() {
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        // Unticked: 45 and 135 degrees both peak at the top, y = 10.
        for (const char* angle : {"45", "135"}) {
            control<QComboBox>(form1, "Combo1")->setEditText(QString::fromLatin1(angle));
            control<QPushButton>(form1, "Command6")->click();
        }
        for (int k : {2, 8}) {
            const int top =
                topmostRowOf(control<forms::PictureBox>(form1, "Picture1"), peakColumn(k), RED);
            // Pen width 2 and the frame redrawn over the top rows: the curve's
            // own pixels show from row 11 at the latest.
            QVERIFY2(top >= 8 && top <= 12, qPrintable(QString::number(top)));
        }
        // Ticked, blue: 90 degrees (index 5) at 5/9 of the largest (index 9's) peak.
        control<QPushButton>(form1, "Command4")->click();
        control<QPushButton>(form1, "Command11")->click();
        control<QCheckBox>(form1, "Check1")->setChecked(true);
        control<QRadioButton>(form1, "Option2")->click();
        QCOMPARE(form1.drawColour(), 9);
        control<QComboBox>(form1, "Combo1")->setEditText(QStringLiteral("90"));
        control<QPushButton>(form1, "Command6")->click();
        const int expected = static_cast<int>(std::lround(510 - 500 * 5.0 / 9.0));
        const int top =
            topmostRowOf(control<forms::PictureBox>(form1, "Picture1"), peakColumn(5), BLUE);
        QVERIFY2(std::abs(top - expected) <= 1, qPrintable(QString::number(top)));
        // Ticked, the largest one still reaches the top.
        control<QComboBox>(form1, "Combo1")->setEditText(QStringLiteral("150"));
        control<QPushButton>(form1, "Command6")->click();
        const int top9 =
            topmostRowOf(control<forms::PictureBox>(form1, "Picture1"), peakColumn(9), BLUE);
        QVERIFY2(top9 >= 8 && top9 <= 12, qPrintable(QString::number(top9)));
    }

    void legendsStandAtTheUnroundedAngleIndex_data() {
        QTest::addColumn<QString>("angle");
        QTest::addColumn<int>("curveIndex");
        QTest::addColumn<int>("lineY");
        QTest::newRow("45") << "45" << 2 << 145;
        QTest::newRow("30") << "30" << 1 << 105;
        QTest::newRow("150") << "150" << 9 << 425;
        QTest::newRow("50 draws 45 between the places") << "50" << 2 << 158;
        QTest::newRow("52.5 halves to even") << "52.5" << 2 << 165;
        QTest::newRow("67.5 halves to even") << "67.5" << 4 << 205;
    }

    void legendsStandAtTheUnroundedAngleIndex() {
        QFETCH(QString, angle);
        QFETCH(int, curveIndex);
        QFETCH(int, lineY);
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        control<QComboBox>(form1, "Combo1")->setEditText(angle);
        control<QPushButton>(form1, "Command6")->click();
        QVERIFY(fx.recorder.messages.empty());
        const forms::PictureBox* plot = control<forms::PictureBox>(form1, "Picture1");
        QCOMPARE(pixelAt(plot, 645, lineY), RED);
        QCOMPARE(pixelAt(plot, 645, lineY - 3), WHITE);
        // "Scatter (" + the typed text + ")" from (700, lineY - 18).
        QVERIFY(countNot(plot->image(), QRect(700, lineY - 18, 100, 20), WHITE) > 20);
        // The curve of the rounded index, and no other.
        for (int k = 1; k <= 9; ++k) {
            const int top = topmostRowOf(plot, peakColumn(k), RED);
            if (k == curveIndex) {
                QVERIFY2(top >= 8 && top <= 12, qPrintable(QString::number(top)));
            } else {
                QVERIFY2(top == -1 || top > 12, qPrintable(QString::number(k)));
            }
        }
    }

    void anglesOutsideTheMeasuringPointsAreRefused_data() {
        QTest::addColumn<QString>("angle");
        QTest::newRow("below 22.5") << "22";
        QTest::newRow("from 157.5") << "157.5";
        QTest::newRow("not a number") << "abc";
        QTest::newRow("empty") << "";
    }

    void anglesOutsideTheMeasuringPointsAreRefused() {
        QFETCH(QString, angle);
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        const QImage before = control<forms::PictureBox>(form1, "Picture1")->image();
        control<QComboBox>(form1, "Combo1")->setEditText(angle);
        control<QPushButton>(form1, "Command6")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t(1));
        QCOMPARE(fx.recorder.messages[0].icon, forms::MessageIcon::Exclamation);
        QCOMPARE(control<forms::PictureBox>(form1, "Picture1")->image(), before);
    }

    void curvesAccumulateUntilOkOrReset() {
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        control<QPushButton>(form1, "Command5")->click();
        control<QComboBox>(form1, "Combo1")->setEditText(QStringLiteral("60"));
        control<QPushButton>(form1, "Command6")->click();
        control<QRadioButton>(form1, "Option3")->click();
        control<QComboBox>(form1, "Combo1")->setEditText(QStringLiteral("120"));
        control<QPushButton>(form1, "Command6")->click();
        const forms::PictureBox* plot = control<forms::PictureBox>(form1, "Picture1");
        QCOMPARE(pixelAt(plot, 250, 260), BLACK);
        QVERIFY(topmostRowOf(plot, peakColumn(3), RED) <= 12);
        QVERIFY(topmostRowOf(plot, peakColumn(7), QColor(0, 255, 0)) <= 12);
        control<QPushButton>(form1, "Command11")->click();  // OK again: axes only
        QCOMPARE(pixelAt(plot, 250, 260), GREY);
        QCOMPARE(topmostRowOf(plot, peakColumn(3), RED), -1);
    }

    void resetClearsButKeepsTheResultAndTheEyeLensButton() {
        FormsFixture fx;
        peakedContent().write("peaks.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("peaks.data"));
        control<QPushButton>(form1, "Command5")->click();
        control<QCheckBox>(form1, "Check1")->setChecked(true);
        control<QPushButton>(form1, "Command4")->click();
        for (QLineEdit* box : form1.findChildren<QLineEdit*>(QRegularExpression("^Text\\d+$"))) {
            QCOMPARE(box->text(), QString());
        }
        QCOMPARE(countNot(control<forms::PictureBox>(form1, "Picture1")->image(),
                          control<forms::PictureBox>(form1, "Picture1")->image().rect(), WHITE),
                 0);
        QVERIFY(!control<QCheckBox>(form1, "Check1")->isChecked());
        for (const char* name : {"Command1", "Command5", "Command6", "Command8"}) {
            QVERIFY2(!control<QPushButton>(form1, name)->isEnabled(), name);
        }
        QVERIFY(control<QPushButton>(form1, "Command2")->isEnabled());
        QCOMPARE(fx.forms->state().resultSet.fileName, std::string("peaks.data"));
    }

    void exitAndClosingShowTheMainFormAndHideTheViewers() {
        for (const bool byFrame : {false, true}) {
            FormsFixture fx;
            copyShippedTables({"d-DperK.dDk"});
            ResultFileContent::plausible().write("p.data");
            forms::Form1& form1 = fx.forms->form1();
            openAndLoad(*fx.forms, QStringLiteral("p.data"));
            control<QPushButton>(form1, "Command1")->click();
            control<QPushButton>(form1, "Command10")->click();
            control<QPushButton>(form1, "Command2")->click();
            control<QPushButton>(fx.forms->form5(), "Command2")->click();
            QVERIFY(fx.forms->form3().isVisible());
            QVERIFY(fx.forms->form4().isVisible());
            QVERIFY(fx.forms->form5().isVisible());
            QVERIFY(fx.forms->form10().isVisible());
            if (byFrame) {
                form1.close();
            } else {
                control<QPushButton>(form1, "Command3")->click();
            }
            QVERIFY(fx.forms->form2().isVisible());
            for (QWidget* form :
                 std::initializer_list<QWidget*>{&form1, &fx.forms->form3(), &fx.forms->form4(),
                                                 &fx.forms->form5(), &fx.forms->form10()}) {
                QVERIFY2(!form->isVisible(), qPrintable(form->objectName()));
            }
            // The browser keeps its contents while hidden.
            QCOMPARE(control<QLineEdit>(form1, "Text6")->text(), QStringLiteral("2.000E-04"));
        }
    }

    void geometryButtonShowsForm4() {
        FormsFixture fx;
        fx.forms->form1().openResultBrowser();
        control<QPushButton>(fx.forms->form1(), "Command10")->click();
        QVERIFY(fx.forms->form4().isVisible());
        QCOMPARE(fx.forms->form4().windowTitle(), QStringLiteral("Geometry"));
    }

    void theGeometryWindowDrawsTheLoadedResultsRoom() {
        // The room saved beside the result, not the main form's.
        FormsFixture fx;
        writeEngineResultFile(viewerRun());
        SceneDescription room;
        room.shields.push_back({"天井", 0.5, {55, 0, -45}, 60, 75, 20});
        room.table = SceneTable{1.2, TableSide::Exit, 50};
        writeSceneFile("case.scene.json", room);
        fx.forms->state().scene.shields.push_back({"別", 1, {40, 0, -30}, 30, 30, 0});
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
        control<QPushButton>(fx.forms->form1(), "Command10")->click();
        forms::Form4& form4 = fx.forms->form4();
        QVERIFY(form4.shownGeometry().scene == room);
        QCOMPARE(form4.shownGeometry().phantomThicknessCm,
                 fx.forms->state().resultSet.conditions.phantomThicknessCm);
        QVERIFY(fx.recorder.messages.empty());
    }

    void leadThicknessZeroGivesTheUnprotectedAirKerma() {
        FormsFixture fx;
        writeEngineResultFile(viewerRun());
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
        QCOMPARE(control<QLineEdit>(form1, "Text5")->text(), QStringLiteral("0"));
        control<QPushButton>(form1, "Command8")->click();
        QVERIFY(fx.recorder.messages.empty());
        for (int row = 0; row < 7; ++row) {
            const double unprotected = text(form1, KERMA_BOXES[row]).toDouble();
            const double behind = text(form1, PROTECTED_BOXES[row]).toDouble();
            // The stored spectra sum to 1 up to their 4 written digits.
            QVERIFY2(std::abs(behind - unprotected) <= 2e-3 * unprotected, PROTECTED_BOXES[row]);
        }
    }

    void thickerLeadNeverRaisesTheAirKerma() {
        FormsFixture fx;
        writeEngineResultFile(viewerRun());
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
        std::vector<double> previous(7, HUGE_VAL);
        for (const char* mm : {"0", "0.1", "0.25", "0.5", "1", "3"}) {
            control<QLineEdit>(form1, "Text5")->setText(QString::fromLatin1(mm));
            control<QPushButton>(form1, "Command8")->click();
            for (int row = 0; row < 7; ++row) {
                const QString shown = text(form1, PROTECTED_BOXES[row]);
                QVERIFY2(QRegularExpression("^\\d\\.\\d{3}E[+-]\\d{2}$").match(shown).hasMatch(),
                         qPrintable(shown));
                const double value = shown.toDouble();
                QVERIFY2(value <= previous[row], mm);
                previous[row] = value;
            }
        }
        // 3 mm of lead takes the 90 degree air kerma down by orders of magnitude.
        QVERIFY(previous[3] < 1e-2 * text(form1, "Text14").toDouble());
    }

    void leadProtectionNeedsAThickness() {
        FormsFixture fx;
        ResultFileContent::plausible().write("p.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("p.data"));
        control<QLineEdit>(form1, "Text5")->clear();
        control<QPushButton>(form1, "Command8")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t(1));
        QCOMPARE(fx.recorder.messages[0].text, QStringLiteral("鉛防護厚を入力して下さい"));
        QCOMPARE(fx.recorder.messages[0].icon, forms::MessageIcon::Exclamation);
        QCOMPARE(control<QLineEdit>(form1, "Text18")->text(), QString());
        // A negative layer would add photons: refused.
        control<QLineEdit>(form1, "Text5")->setText(QStringLiteral("-1"));
        control<QPushButton>(form1, "Command8")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t(2));
        QCOMPARE(control<QLineEdit>(form1, "Text18")->text(), QString());
    }

    void enterInTheThicknessMovesToItsButtonAndEnterThereComputes() {
        FormsFixture fx;
        ResultFileContent::plausible().write("p.data");
        forms::Form1& form1 = fx.forms->form1();
        openAndLoad(*fx.forms, QStringLiteral("p.data"));
        form1.activateWindow();
        control<QLineEdit>(form1, "Text5")->setFocus();
        QTest::keyClick(control<QLineEdit>(form1, "Text5"), Qt::Key_Return);
        QTRY_VERIFY(control<QPushButton>(form1, "Command8")->hasFocus());
        QCOMPARE(control<QLineEdit>(form1, "Text18")->text(), QString());
        // The second Enter presses the focused button.
        QTest::keyClick(control<QPushButton>(form1, "Command8"), Qt::Key_Return);
        QVERIFY(!control<QLineEdit>(form1, "Text18")->text().isEmpty());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_result_browser_test.moc"
