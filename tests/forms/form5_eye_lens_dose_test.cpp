// The eye lens dose window driven by control name: opening from the browser
// with the tables read afresh, a missing or short table keeping it closed,
// the conversion factors and doses of an engine-written result, glasses and
// protection as one layer, the 0/0 factor, the thickness messages, the eye
// points of the result's room, Close.
#include "app/forms/form5_eye_lens_dose.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "app/common/picture_format.h"
#include "app/forms/annual_dose_panel.h"
#include "app/forms/form10_conversion_factor.h"
#include "app/results/kerma_uncertainty.h"
#include "common/text_file.h"
#include "engine_result_file.h"
#include "eye_points_fixture.h"
#include "fakes.h"
#include "result_file_builder.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

const char* const RATIO_BOXES[] = {"Text6",  "Text7",  "Text13", "Text14",
                                   "Text15", "Text16", "Text17"};
const char* const DOSE_BOXES[] = {"Text4",  "Text8",  "Text9", "Text10",
                                  "Text11", "Text12", "Text19"};

QStringList resultTexts(forms::Form5& form5) {
    QStringList texts;
    for (const char* name : RATIO_BOXES) texts << control<QLineEdit>(form5, name)->text();
    for (const char* name : DOSE_BOXES) texts << control<QLineEdit>(form5, name)->text();
    return texts;
}

// Browser with the engine's result loaded, the conversion table in place.
struct EngineLoaded {
    FormsFixture fx;
    forms::Form5& form5;
    EngineLoaded() : form5(fx.forms->form5()) {
        copyShippedTables({"d-DperK.dDk"});
        writeEngineResultFile(viewerRun());
        openAndLoad(*fx.forms, QStringLiteral("case.data"));
    }
    void compute(const QString& protection, const QString& glasses) {
        control<QLineEdit>(form5, "Text3")->setText(protection);
        control<QComboBox>(form5, "Combo2")->setEditText(glasses);
        control<QPushButton>(form5, "Command1")->click();
    }
};

}  // namespace

class Form5Test : public QObject {
    Q_OBJECT

private slots:
    void openingNamesTheLoadedResultAndEmptiesTheResults() {
        EngineLoaded e;
        forms::Form1& form1 = e.fx.forms->form1();
        QCOMPARE(control<QComboBox>(e.form5, "Combo2")->currentText(), QStringLiteral("0"));
        control<QComboBox>(e.form5, "Combo2")->setEditText(QStringLiteral("0.07"));
        // Another file clicked after OK: the window names the result in use.
        ResultFileContent::plausible().write("other.data");
        control<forms::FileListBox>(form1, "File1")->refresh();
        clickFile(*e.fx.forms, QStringLiteral("other.data"));
        control<QPushButton>(form1, "Command2")->click();
        QVERIFY(e.form5.isVisible());
        QCOMPARE(e.form5.windowTitle(), QStringLiteral("Eye lens dose"));
        QCOMPARE(control<QLineEdit>(e.form5, "Text1")->text(), QStringLiteral("case.data"));
        QCOMPARE(control<QLineEdit>(e.form5, "Text3")->text(), QStringLiteral("0"));
        QCOMPARE(control<QComboBox>(e.form5, "Combo2")->currentText(), QStringLiteral("0.07"));
        QStringList items;
        for (int n = 0; n < control<QComboBox>(e.form5, "Combo2")->count(); ++n)
            items << control<QComboBox>(e.form5, "Combo2")->itemText(n);
        QCOMPARE(items, (QStringList{"0", "0.07", "0.83", "0.87", ""}));
        e.compute(QStringLiteral("0"), QStringLiteral("0"));
        // Opening again empties the fourteen results.
        control<QPushButton>(form1, "Command2")->click();
        for (const QString& text : resultTexts(e.form5)) QCOMPARE(text, QString());
        QVERIFY(e.fx.recorder.messages.empty());
    }

    void missingOrShortTablesKeepTheWindowClosed_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("keptLines");
        QTest::newRow("no d-DperK.dDk") << "d-DperK.dDk" << -1;
        QTest::newRow("short d-DperK.dDk") << "d-DperK.dDk" << 150;
        QTest::newRow("short Pb.dat") << "Pb.dat" << 120;
    }

    void missingOrShortTablesKeepTheWindowClosed() {
        QFETCH(QString, table);
        QFETCH(int, keptLines);
        EngineLoaded e;
        const std::string name = table.toStdString();
        if (keptLines < 0) {
            QVERIFY(QFile::remove(table));
        } else {
            std::vector<std::string> lines = readTextFile(name, FileKind::PhysicsTable).lines;
            lines.resize(static_cast<std::size_t>(keptLines));
            writeLines(name, lines);
        }
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        QVERIFY(!e.form5.isVisible());
        QCOMPARE(e.fx.recorder.messages.size(), std::size_t(1));
        QVERIFY2(e.fx.recorder.messages[0].text.contains(table),
                 qPrintable(e.fx.recorder.messages[0].text));
    }

    void noLeadGivesTheUnattenuatedFactorAndAirKermaTimesIt() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        e.compute(QStringLiteral("0"), QStringLiteral("0"));
        QVERIFY(e.fx.recorder.messages.empty());
        forms::Form1& form1 = e.fx.forms->form1();
        const char* kermaBoxes[] = {"Text6",  "Text7",  "Text13", "Text14",
                                    "Text15", "Text16", "Text17"};
        for (int row = 0; row < 7; ++row) {
            const QString ratio = control<QLineEdit>(e.form5, RATIO_BOXES[row])->text();
            const QString dose = control<QLineEdit>(e.form5, DOSE_BOXES[row])->text();
            QVERIFY2(QRegularExpression("^\\d\\.\\d{3}$").match(ratio).hasMatch(),
                     qPrintable(ratio));
            QVERIFY2(QRegularExpression("^\\d\\.\\d{3}E[+-]\\d{2}$").match(dose).hasMatch(),
                     qPrintable(dose));
            // An 80 kV scattered spectrum: D3mm/Kair between the 20 and 80 keV values.
            QVERIFY2(ratio.toDouble() > 0.9 && ratio.toDouble() < 1.7, qPrintable(ratio));
            // F = 1 without lead: dose = air kerma x factor, to the shown digits.
            const double kerma = control<QLineEdit>(form1, kermaBoxes[row])->text().toDouble();
            QVERIFY2(std::abs(dose.toDouble() / (kerma * ratio.toDouble()) - 1.0) < 3e-3,
                     qPrintable(dose));
        }
    }

    void enterInTheThicknessComputesThroughTheDefaultButton() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        QCOMPARE(e.form5.defaultButton(), control<QPushButton>(e.form5, "Command1"));
        control<QLineEdit>(e.form5, "Text3")->setText(QStringLiteral("0.5"));
        QTest::keyClick(control<QLineEdit>(e.form5, "Text3"), Qt::Key_Return);
        QVERIFY(!control<QLineEdit>(e.form5, "Text4")->text().isEmpty());
    }

    void theShownTableExportsAsCsv() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        SaveNameAnswer answer(QStringLiteral("eye.csv"));
        triggerExport(e.form5.page(), "saveCsv");
        QCOMPARE(e.fx.recorder.messages.size(), std::size_t{1});  // nothing computed yet
        e.compute(QStringLiteral("0.5"), QStringLiteral("0.07"));
        triggerExport(e.form5.page(), "saveCsv");
        const std::vector<std::string> csv = readTextFile("eye.csv", FileKind::CsvTable).lines;
        QCOMPARE(csv.size(), std::size_t{8});
        QVERIFY(csv[0].rfind("glasses_mm_Pb,protection_mm_Pb,angle_deg,", 0) == 0);
        QVERIFY(csv[1].rfind("0.07,0.5,45,", 0) == 0);
        // The box shows four significant digits of the same dose.
        const double exported = QString::fromStdString(csv[1]).section(',', 5, 5).toDouble();
        QVERIFY(qAbs(exported / control<QLineEdit>(e.form5, "Text4")->text().toDouble() - 1) <
                1e-3);
    }

    void glassesAndProtectionAreOneLayer() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        e.compute(QStringLiteral("0.43"), QStringLiteral("0.07"));
        const QStringList split = resultTexts(e.form5);
        e.compute(QStringLiteral("0.5"), QStringLiteral("0"));
        QCOMPARE(resultTexts(e.form5), split);
        e.compute(QStringLiteral("0"), QStringLiteral("0"));
        QVERIFY(resultTexts(e.form5) != split);
        // Lead hardens the spectrum and takes most of the dose.
        e.compute(QStringLiteral("0"), QStringLiteral("0"));
        const QStringList none = resultTexts(e.form5);
        for (int row = 0; row < 7; ++row) {
            QVERIFY(split[7 + row].toDouble() < 0.5 * none[7 + row].toDouble());
        }
        QVERIFY(e.fx.recorder.messages.empty());
    }

    void leadThatStopsEverythingShowsADash() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        e.compute(QStringLiteral("100000"), QStringLiteral("0"));
        QVERIFY(e.fx.recorder.messages.empty());
        for (const char* name : RATIO_BOXES) {
            QCOMPARE(control<QLineEdit>(e.form5, name)->text(), QStringLiteral("-"));
        }
        for (const char* name : DOSE_BOXES) {
            QCOMPARE(control<QLineEdit>(e.form5, name)->text(), QStringLiteral("0.000E+00"));
        }
    }

    void emptyThicknessOrGlassesOnlyWarn_data() {
        QTest::addColumn<QString>("protection");
        QTest::addColumn<QString>("glasses");
        QTest::newRow("no protection") << ""
                                       << "0";
        QTest::newRow("the empty fifth entry") << "0"
                                               << "";
    }

    void emptyThicknessOrGlassesOnlyWarn() {
        QFETCH(QString, protection);
        QFETCH(QString, glasses);
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        e.compute(QStringLiteral("0"), QStringLiteral("0"));
        const QStringList before = resultTexts(e.form5);
        if (glasses.isEmpty()) {
            control<QComboBox>(e.form5, "Combo2")->setCurrentIndex(4);
            control<QLineEdit>(e.form5, "Text3")->setText(protection);
            control<QPushButton>(e.form5, "Command1")->click();
        } else {
            e.compute(protection, glasses);
        }
        QCOMPARE(e.fx.recorder.messages.size(), std::size_t(1));
        QCOMPARE(e.fx.recorder.messages[0].text, QStringLiteral(" Input Pb thickness ! "));
        QCOMPARE(e.fx.recorder.messages[0].icon, forms::MessageIcon::Exclamation);
        QCOMPARE(resultTexts(e.form5), before);
    }

    void negativeLeadIsRefused() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        e.compute(QStringLiteral("-0.2"), QStringLiteral("0"));
        QCOMPARE(e.fx.recorder.messages.size(), std::size_t(1));
        for (const QString& text : resultTexts(e.form5)) QCOMPARE(text, QString());
    }

    void afterResetTheButtonStillWorksOnTheLoadedResult() {
        EngineLoaded e;
        forms::Form1& form1 = e.fx.forms->form1();
        control<QPushButton>(form1, "Command4")->click();
        QVERIFY(control<QPushButton>(form1, "Command2")->isEnabled());
        control<QPushButton>(form1, "Command2")->click();
        QVERIFY(e.form5.isVisible());
        e.compute(QStringLiteral("0"), QStringLiteral("0.07"));
        QVERIFY(!control<QLineEdit>(e.form5, "Text14")->text().isEmpty());
    }

    void workloadPanelFillsTheTableFromTheCoreWithVerdictColours() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        forms::AnnualDosePanel& panel = *e.form5.findChild<forms::AnnualDosePanel*>();
        control<QLineEdit>(e.form5, "Text3")->setText(QStringLiteral("0"));
        control<QComboBox>(e.form5, "Combo2")->setEditText(QStringLiteral("0.07"));
        // As many procedures as take the highest dose without glasses to about 60 mSv.
        const app::EyeLensDoseTables tables = app::loadEyeLensDoseTables();
        const app::AnnualEyeLensDose one = app::computeAnnualEyeLensDose(
            e.fx.forms->state().resultSet, tables, {app::WorkloadMeasure::KermaAreaProduct, 50, 1},
            0.07, 0.0, app::EyePosition{60, -30});
        double highest = 0;
        for (const app::AnnualDosePoint& point : one.points) {
            highest = std::max(highest, point.bare->perProcedureMsv);
        }
        const long long procedures = static_cast<long long>(std::ceil(60.0 / highest));
        panel.Option5->setChecked(true);
        panel.Text30->setText(QStringLiteral("50"));
        panel.Text31->setText(QString::number(procedures));
        panel.Check2->setChecked(true);
        panel.Text32->setText(QStringLiteral("60"));
        panel.Text33->setText(QStringLiteral("-30"));
        panel.Command5->click();
        QVERIFY(e.fx.recorder.messages.empty());
        const app::AnnualEyeLensDose expected =
            app::computeAnnualEyeLensDose(e.fx.forms->state().resultSet, tables,
                                          {app::WorkloadMeasure::KermaAreaProduct, 50, procedures},
                                          0.07, 0.0, app::EyePosition{60, -30});
        QCOMPARE(panel.Grid1->rowCount(), 8);
        QCOMPARE(panel.Grid1->item(7, 0)->text(), QStringLiteral("眼の位置"));
        for (int row = 0; row < 8; ++row) {
            const app::AnnualDosePoint& point = expected.points[static_cast<std::size_t>(row)];
            for (const auto& [column, dose] : {std::pair{1, point.bare}, {5, point.glasses}}) {
                QTableWidgetItem* item = panel.Grid1->item(row, column);
                QCOMPARE(item->text(),
                         QString::fromStdString(app::formatPicture(dose->annualMsv, "0.00")));
                const app::Rgb rgb = forms::verdictColour(dose->verdict);
                QCOMPARE(item->background().color(), QColor(rgb.red, rgb.green, rgb.blue));
                QCOMPARE(panel.Grid1->item(row, column + 3)->text(),
                         QString::number(*dose->proceduresBelowLimit));
            }
        }
        // Above 50 mSv somewhere without glasses; the glasses bring that row lower.
        QSet<QRgb> colours;
        for (int row = 0; row < 8; ++row) {
            colours << panel.Grid1->item(row, 1)->background().color().rgb()
                    << panel.Grid1->item(row, 5)->background().color().rgb();
        }
        QVERIFY(colours.size() >= 2);
        QVERIFY(panel.Label81->text().contains(QStringLiteral("120 度")));

        // The table exports as CSV; the inputs come back in the next session.
        SaveNameAnswer answer(QStringLiteral("annual.csv"));
        triggerExport(panel.Grid1, "saveCsv");
        QCOMPARE(readTextFile("annual.csv", FileKind::CsvTable).lines.size(), std::size_t{17});
        forms::AnnualDosePanel next(nullptr, {0, 0, 9000, 7560});
        QVERIFY(next.Option5->isChecked());
        QCOMPARE(next.Text30->text(), QStringLiteral("50"));
        QCOMPARE(next.Text31->text(), QString::number(procedures));
        QVERIFY(next.Check2->isChecked());
        QCOMPARE(next.Text33->text(), QStringLiteral("-30"));
        // The doses beside the designed table carry the kerma's error when it is known.
        control<QPushButton>(e.form5, "Command1")->click();
        const app::EyeLensDose dose =
            app::computeEyeLensDose(e.fx.forms->state().resultSet, tables, 0.07, 0.0);
        const char* errorLabels[] = {"Label60", "Label61", "Label62", "Label63",
                                     "Label64", "Label65", "Label66"};
        for (int k = 2; k <= 8; ++k) {
            const std::optional<double> error = dose.relStdErrorPercent[k];
            QCOMPARE(control<QLabel>(e.form5, errorLabels[k - 2])->text(),
                     error ? QString::fromStdString(app::relativeErrorText(*error)) : QString());
        }
    }

    void workloadInputsThatMakeNoSenseAreNamed_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("procedures");
        QTest::addColumn<QString>("eyeX");
        QTest::addColumn<QString>("named");
        QTest::newRow("P_KA 0") << "0"
                                << "500"
                                << ""
                                << "P_KA";
        QTest::newRow("P_KA negative") << "-5"
                                       << "500"
                                       << ""
                                       << "P_KA";
        QTest::newRow("procedures not whole") << "50"
                                              << "12.5"
                                              << ""
                                              << "年間件数";
        QTest::newRow("procedures negative") << "50"
                                             << "-1"
                                             << ""
                                             << "年間件数";
        QTest::newRow("P_KA beyond any procedure") << "1e308"
                                                   << "500"
                                                   << ""
                                                   << "P_KA 1e+308 Gy·cm² は大きすぎます";
        QTest::newRow("procedures beyond any year") << "50"
                                                    << "9223372036854775807"
                                                    << ""
                                                    << "件は多すぎます";
        QTest::newRow("eye off the grid") << "50"
                                          << "500"
                                          << "30"
                                          << "眼の位置";
    }

    void workloadInputsThatMakeNoSenseAreNamed() {
        QFETCH(QString, value);
        QFETCH(QString, procedures);
        QFETCH(QString, eyeX);
        QFETCH(QString, named);
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        forms::AnnualDosePanel& panel = *e.form5.findChild<forms::AnnualDosePanel*>();
        panel.Text30->setText(value);
        panel.Text31->setText(procedures);
        panel.Check2->setChecked(!eyeX.isEmpty());
        panel.Text32->setText(eyeX);
        panel.Text33->setText(QStringLiteral("0"));
        panel.Command5->click();
        QCOMPARE(e.fx.recorder.messages.size(), std::size_t(1));
        QVERIFY2(e.fx.recorder.messages[0].text.contains(named),
                 qPrintable(e.fx.recorder.messages[0].text));
        QVERIFY(panel.Grid1->item(0, 1) == nullptr);
    }

    void annualTableFollowsItsInputsAndSaysWhenNoGlassesAreChosen() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        forms::AnnualDosePanel& panel = *e.form5.findChild<forms::AnnualDosePanel*>();
        QCOMPARE(control<QComboBox>(e.form5, "Combo2")->currentText(), QStringLiteral("0"));
        panel.Option5->setChecked(true);
        panel.Check2->setChecked(false);
        panel.Text30->setText(QStringLiteral("50"));
        panel.Text31->setText(QStringLiteral("500"));
        panel.Command5->click();
        const app::EyeLensDoseTables tables = app::loadEyeLensDoseTables();
        const auto annualAt90 = [&](long long procedures, double glassesMm, bool withGlasses) {
            const app::AnnualEyeLensDose year = app::computeAnnualEyeLensDose(
                e.fx.forms->state().resultSet, tables,
                {app::WorkloadMeasure::KermaAreaProduct, 50, procedures}, glassesMm, 0.0);
            const app::AnnualDosePoint& point = year.points[3];
            return QString::fromStdString(
                app::formatPicture((withGlasses ? point.glasses : point.bare)->annualMsv, "0.00"));
        };
        // Glasses of 0 mm: the columns with glasses say that none are chosen.
        QCOMPARE(panel.Grid1->item(3, 1)->text(), annualAt90(500, 0, false));
        QCOMPARE(panel.Grid1->item(3, 5)->text(), QStringLiteral("—"));
        QVERIFY(panel.Grid1->horizontalHeaderItem(5)->text().contains(QStringLiteral("未選択")));
        QVERIFY(panel.Label80->text().contains(QStringLiteral("未選択")));
        // Each input changed afterwards fills the table again without a press.
        panel.Text31->setText(QStringLiteral("1000"));
        QCOMPARE(panel.Grid1->item(3, 1)->text(), annualAt90(1000, 0, false));
        control<QComboBox>(e.form5, "Combo2")->setEditText(QStringLiteral("0.07"));
        QCOMPARE(panel.Grid1->item(3, 5)->text(), annualAt90(1000, 0.07, true));
        QVERIFY(panel.Grid1->horizontalHeaderItem(5)->text().contains(QStringLiteral("0.07 mm")));
        // An input being typed that makes no sense empties the table and says why, without a box.
        panel.Text30->setText(QStringLiteral("0"));
        QVERIFY(panel.Grid1->item(3, 1) == nullptr);
        QVERIFY(panel.Label80->text().contains(QStringLiteral("P_KA")));
        panel.Text30->setText(QStringLiteral("50"));
        QCOMPARE(panel.Grid1->item(3, 1)->text(), annualAt90(1000, 0.07, false));
        QVERIFY(e.fx.recorder.messages.empty());
    }

    void eyePointsOfTheRoomAreListedWithTheirYear() {
        FormsFixture fx;
        copyShippedTables({"d-DperK.dDk"});
        ResultFileContent::plausible().write("plain.data");
        ResultFileContent::plausible().write("room.data");
        writeEyePointsBeside("room.data", {{"operator", {60, 30, -40}, 2.5e-4, 3.0}});
        forms::Form5& form5 = fx.forms->form5();
        QTableWidget* grid = control<QTableWidget>(form5, "Grid2");
        openAndLoad(*fx.forms, QStringLiteral("plain.data"));
        control<QPushButton>(fx.forms->form1(), "Command2")->click();
        QVERIFY(!grid->isVisible());
        QVERIFY(control<QLabel>(form5, "Label82")->text().contains(QStringLiteral("目の位置")));

        clickFile(*fx.forms, QStringLiteral("room.data"));
        control<QPushButton>(fx.forms->form1(), "Command11")->click();
        control<QPushButton>(fx.forms->form1(), "Command2")->click();
        QVERIFY(grid->isVisible());
        control<QLineEdit>(form5, "Text3")->setText(QStringLiteral("0"));
        control<QComboBox>(form5, "Combo2")->setEditText(QStringLiteral("0.07"));
        control<QPushButton>(form5, "Command1")->click();
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("operator"));
        QCOMPARE(grid->item(0, 4)->text(), QStringLiteral("120"));  // the borrowed spectrum
        QVERIFY(grid->item(0, 6)->text() != QStringLiteral("-"));
        QCOMPARE(grid->item(0, 7)->text(), QStringLiteral("-"));  // no workload yet

        forms::AnnualDosePanel& panel = *form5.findChild<forms::AnnualDosePanel*>();
        panel.Option5->setChecked(true);
        panel.Text30->setText(QStringLiteral("50"));
        panel.Text31->setText(QStringLiteral("400"));
        panel.Check2->setChecked(false);
        panel.Command5->click();
        QVERIFY(fx.recorder.messages.empty());
        QVERIFY(grid->item(0, 7)->text().contains(QLatin1Char('.')));
        QVERIFY(grid->item(0, 9)->text().contains(QLatin1Char('.')));
    }

    void closeHidesTheConversionWindowAndItself() {
        EngineLoaded e;
        control<QPushButton>(e.fx.forms->form1(), "Command2")->click();
        control<QPushButton>(e.form5, "Command2")->click();
        QVERIFY(e.fx.forms->form10().isVisible());
        control<QPushButton>(e.form5, "Command4")->click();
        QVERIFY(!e.fx.forms->form10().isVisible());
        QVERIFY(!e.form5.isVisible());
        QCOMPARE(control<QPushButton>(e.form5, "Command4")->toolTip(), QStringLiteral(" Cancel "));
    }
};

QTEST_MAIN(Form5Test)
#include "form5_eye_lens_dose_test.moc"
