// The live window's wiring: its button on the main form, a change that stops
// the estimate under way and starts one, a pin drawn beside the current
// curve, and a saved result that korvana-results reads.
#include "app/forms/form13_live_estimate.h"

#include <sys/wait.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <cstdlib>

#include "app/forms/form15_room_layout.h"
#include "app/forms/forms.h"
#include "app/forms/live_plot.h"
#include "app/widgets/picture_box.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "fakes.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::forms;
using namespace korvana::testing;

namespace {

constexpr int ROUND_WAIT_MS = 20000;  // a round on a busy machine

//! The number of a ratio cell: "0.0123 倍" or "1.23×10⁻⁴ 倍".
double ratioOf(const QString& text) {
    const QString number = text.section(QLatin1Char(' '), 0, 0);
    const qsizetype times = number.indexOf(QStringLiteral("×10"));
    if (times < 0) return number.toDouble();
    QString exponent;
    for (const QChar c : number.mid(times + 3)) {
        exponent += c == QChar(u'⁻') ? QStringLiteral("-")
                                     : QString::number(QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹").indexOf(c));
    }
    return number.left(times).toDouble() * std::pow(10.0, exponent.toInt());
}

int pixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
    }
    return count;
}

}  // namespace

class Form13LiveEstimateTest : public QObject {
    Q_OBJECT

private:
    //! The main form's button opened the window and its first round is shown.
    Form13& openWindow(FormsFixture& world) {
        copyShippedTables({"ICRUSoft.dat", "MU_en2016.dat", "d-DperK.dDk"});
        auto* button = world.forms->form2().findChild<QPushButton*>(QStringLiteral("Command5"));
        [&] { QVERIFY(button); }();
        button->click();
        Form13& live = world.forms->form13();
        [&] {
            QVERIFY(live.isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(live.shownRound() != nullptr, ROUND_WAIT_MS);
        }();
        return live;
    }

private slots:
    void startsFromTheMainFormsEntries() {
        FormsFixture world;
        Form2& main = world.forms->form2();
        main.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("100"));
        main.findChild<QLineEdit*>(QStringLiteral("Text8"))->setText(QStringLiteral("0.25"));
        Form13& live = openWindow(world);
        QCOMPARE(control<QDoubleSpinBox>(live, "Text5")->value(), 100.0);
        QCOMPARE(control<QDoubleSpinBox>(live, "Text10")->value(), 0.25);
        QCOMPARE(control<QSlider>(live, "HScroll1")->value(), 25);
        QVERIFY(control<QLabel>(live, "Label3")->text().contains(QStringLiteral("光子")));
    }

    void aChangeStopsTheEstimateAndStartsOneAfterTheEntriesRest() {
        FormsFixture world;
        Form13& live = openWindow(world);
        control<QComboBox>(live, "Combo1")->setCurrentIndex(3);  // 0.5 %: rounds go on for a while
        const std::uint64_t fine = live.estimateNumber() + 1;
        QTRY_COMPARE_WITH_TIMEOUT(live.estimateNumber(), fine, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(live.shownEstimateNumber(), fine, ROUND_WAIT_MS);
        const int cancelled = live.cancelledEstimates();
        // A burst of slider moves: one new estimate once they rest.
        for (int position : {40, 45, 50}) control<QSlider>(live, "HScroll1")->setValue(position);
        QCOMPARE(control<QDoubleSpinBox>(live, "Text10")->value(), 0.5);
        QTRY_COMPARE_WITH_TIMEOUT(live.cancelledEstimates(), cancelled + 1, 2000);
        // The stopped estimate's last word does not pass for a finished one.
        QTest::qWait(20);
        QVERIFY2(!control<QLabel>(live, "Label3")->text().contains(QStringLiteral("到達")),
                 qPrintable(control<QLabel>(live, "Label3")->text()));
        QTRY_COMPARE_WITH_TIMEOUT(live.estimateNumber(), fine + 1, 2000);
        QTest::qWait(3 * Form13::DEBOUNCE_MS);
        QCOMPARE(live.estimateNumber(), fine + 1);
    }

    void closingStopsTheEstimate() {
        FormsFixture world;
        Form13& live = openWindow(world);
        const std::uint64_t first = live.estimateNumber();
        control<QDoubleSpinBox>(live, "Text11")
            ->setValue(10);  // the curtain shields the upper points: many rounds
        control<QDoubleSpinBox>(live, "Text10")->setValue(1.0);
        control<QComboBox>(live, "Combo1")->setCurrentIndex(3);
        QTRY_VERIFY_WITH_TIMEOUT(
            live.estimateNumber() > first && live.shownEstimateNumber() == live.estimateNumber(),
            ROUND_WAIT_MS);
        const int cancelled = live.cancelledEstimates();
        control<QPushButton>(live, "Command5")->click();
        QVERIFY(!live.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(live.cancelledEstimates(), cancelled + 1, 2000);
    }

    void thePinIsDrawnBesideTheCurrentCurve() {
        FormsFixture world;
        Form13& live = openWindow(world);
        live.Command1_Click();
        QVERIFY(live.hasPin());
        const std::uint64_t pinned = live.estimateNumber();
        control<QDoubleSpinBox>(live, "Text10")->setValue(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(
            live.estimateNumber() > pinned && live.shownEstimateNumber() == live.estimateNumber(),
            ROUND_WAIT_MS);
        QVERIFY(control<QLabel>(live, "Label2")
                    ->text()
                    .startsWith(QStringLiteral("カーテン鉛当量 0 mm → 1 mm")));
        const QImage& plot = control<forms::PictureBox>(live, "Picture1")->image();
        QVERIFY(pixelsOf(plot, PINNED_CURVE_COLOUR) > 50);
        QVERIFY(pixelsOf(plot, CURRENT_CURVE_COLOUR) > 50);
        live.Command2_Click();
        QCOMPARE(
            pixelsOf(control<forms::PictureBox>(live, "Picture1")->image(), PINNED_CURVE_COLOUR),
            0);
    }

    void savedResultIsReadByKorvanaResults() {
        FormsFixture world;
        Form13& live = openWindow(world);
        SaveNameAnswer answer(QStringLiteral("kept"));
        live.Command3_Click();
        QVERIFY(QFile::exists(QStringLiteral("kept.data")));
        QVERIFY(QFile::exists(QStringLiteral("kept.unc.csv")));
        QVERIFY(world.recorder.messages.empty());
        const std::string command =
            std::string("'") + KORVANA_RESULTS_PROGRAM + "' kept.data >report.txt 2>&1";
        const int status = std::system(command.c_str());
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, readWhole("report.txt").c_str());
        // The report carries the kermas with their errors from kept.unc.csv.
        QVERIFY2(readWhole("report.txt").find("%") != std::string::npos,
                 readWhole("report.txt").c_str());
    }

    void theComparisonNamesEveryChangeAndRatiosKeepTheirDigits() {
        FormsFixture world;
        Form13& live = openWindow(world);
        const app::ResultSet pinned = live.shownRound()->result;
        live.Command1_Click();
        const std::uint64_t before = live.estimateNumber();
        control<QDoubleSpinBox>(live, "Text10")->setValue(1.0);
        control<QDoubleSpinBox>(live, "Text5")->setValue(70);
        control<QComboBox>(live, "Combo3")->setCurrentIndex(2);
        QTRY_VERIFY_WITH_TIMEOUT(
            live.estimateNumber() > before && live.shownEstimateNumber() == live.estimateNumber(),
            ROUND_WAIT_MS);
        const QString line = control<QLabel>(live, "Label2")->text();
        for (const char* change :
             {"カーテン鉛当量 0 mm → 1 mm", "管電圧 80 kV → 70 kV", "整流方式 定電圧 → 単相全波"}) {
            QVERIFY2(line.contains(QString::fromUtf8(change)), qPrintable(line));
        }
        // Each ratio to the pin shows the kermas' own ratio to three significant figures.
        const app::ResultSet& current = live.shownRound()->result;
        auto* grid = control<QTableWidget>(live, "Grid1");
        for (int row = 0; row < grid->rowCount(); ++row) {
            const int k = app::FIRST_SHOWN_ANGLE + row;
            const QString text = grid->item(row, 7)->text();
            const double expected = current.pointKermaRatio[k] / pinned.pointKermaRatio[k];
            QVERIFY2(std::abs(ratioOf(text) / expected - 1) < 0.006,
                     qPrintable(text + QStringLiteral(" for ") + QString::number(expected)));
        }
    }

    void theLegendNamesThePinnedAndTheCurrentCurve() {
        KermaCurve current;
        KermaCurve pinned;
        for (int k = 1; k <= POINT_COUNT; ++k) {
            current.kermaRatio[k] = 1e-4 * k;
            pinned.kermaRatio[k] = 3e-4 * k;
            current.relErrorPercent[k] = pinned.relErrorPercent[k] = 5;
        }
        forms::PictureBox picture(nullptr, QSize(552, 368));
        drawKermaPlot(picture, &current, &pinned);
        // Below the frame, where no curve and no error bar goes.
        const int frameBottom = picture.toPixel(20, plotDecades(&current, &pinned).first).y();
        const QImage below = picture.image().copy(0, frameBottom + 2, picture.image().width(),
                                                  picture.image().height() - frameBottom - 2);
        QVERIFY(pixelsOf(below, PINNED_CURVE_COLOUR) > 10);
        QVERIFY(pixelsOf(below, CURRENT_CURVE_COLOUR) > 10);
    }

    void movingTheRoomsShieldRestartsTheEstimateAndRedrawsIt() {
        FormsFixture world;
        SceneDescription& room = world.forms->state().scene;
        room.shields.push_back({"天井", 0.5, {55, 0, -45}, 60, 75, 0});
        room.eyePoints.push_back({"術者", {60, 30, -40}});
        Form13& live = openWindow(world);
        QCOMPARE(live.inputs().scene, room);
        // The eye point has a row of its own under the angles.
        auto* grid = control<QTableWidget>(live, "Grid1");
        QCOMPARE(grid->rowCount(), app::LAST_SHOWN_ANGLE - app::FIRST_SHOWN_ANGLE + 2);
        const QImage before = control<forms::PictureBox>(live, "Picture2")->image();
        live.Command1_Click();
        const std::uint64_t first = live.estimateNumber();
        control<QSlider>(live, "HScroll6")->setValue(80);  // the shield's x
        QCOMPARE(live.inputs().scene.shields[0].centreCm[0], 80.0);
        QVERIFY(control<forms::PictureBox>(live, "Picture2")->image() != before);
        QTRY_VERIFY_WITH_TIMEOUT(
            live.estimateNumber() > first && live.shownEstimateNumber() == live.estimateNumber(),
            ROUND_WAIT_MS);
        // The eye point's row follows the angles' with its kerma and doses.
        const int eyeRow = grid->rowCount() - 1;
        QVERIFY2(grid->item(eyeRow, 1)->text().contains(QLatin1Char('E')),
                 qPrintable(grid->item(eyeRow, 1)->text()));
        QVERIFY(grid->item(eyeRow, 3)->text() != QStringLiteral("-"));
        // The comparison names the move.
        QVERIFY2(control<QLabel>(live, "Label2")
                     ->text()
                     .startsWith(QStringLiteral("遮へい板 x 55 cm → 80 cm")),
                 qPrintable(control<QLabel>(live, "Label2")->text()));
        // A saved round keeps its room beside it.
        SaveNameAnswer answer(QStringLiteral("moved"));
        live.Command3_Click();
        QVERIFY(readSceneFile("moved.scene.json") == live.inputs().scene);
        QCOMPARE(readPointsBeside("moved.data")->points.size(), std::size_t{1});
        // The eye's height moves too, and "主画面に反映" keeps the room moved.
        control<QDoubleSpinBox>(live, "Text17")->setValue(-60);
        live.Command4_Click();
        QCOMPARE(room.shields[0].centreCm[0], 80.0);
        QCOMPARE(room.eyePoints[0].positionCm[2], -60.0);
    }

    void aShieldAddedInTheRoomPanelReachesTheOpenWindow() {
        FormsFixture world;
        Form13& live = openWindow(world);
        QVERIFY(live.inputs().scene.shields.empty());
        const QImage before = control<forms::PictureBox>(live, "Picture2")->image();
        const std::uint64_t first = live.estimateNumber();
        world.forms->form15().openRoomLayout();
        world.forms->form15().Command1_Click();  // a shield
        QCOMPARE(live.inputs().scene.shields.size(), std::size_t{1});
        QVERIFY(control<forms::PictureBox>(live, "Picture2")->image() != before);
        QTRY_VERIFY_WITH_TIMEOUT(live.estimateNumber() > first, ROUND_WAIT_MS);
    }

    void escapeClosesTheWindow() {
        FormsFixture world;
        Form13& live = openWindow(world);
        QTest::keyClick(control<QDoubleSpinBox>(live, "Text5"), Qt::Key_Escape);
        QVERIFY(!live.isVisible());
    }
};

QTEST_MAIN(Form13LiveEstimateTest)
#include "form13_live_estimate_test.moc"
