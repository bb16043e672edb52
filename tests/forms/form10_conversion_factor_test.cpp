// The conversion factor window: D3mm/Kair of mono-energetic photons plotted
// from the conversion table in the working directory, and Close.
#include "app/forms/form10_conversion_factor.h"

#include <QPushButton>
#include <QTest>
#include <cmath>

#include "app/forms/conversion_factor_plot.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "app/results/eye_lens_dose.h"
#include "fakes.h"
#include "result_file_builder.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

const QColor RED(255, 0, 0);

// Opens the browser on a result and the eye lens dose window, then Form10.
void openConversionWindow(FormsFixture& fx) {
    ResultFileContent::plausible().write("p.data");
    openAndLoad(*fx.forms, QStringLiteral("p.data"));
    control<QPushButton>(fx.forms->form1(), "Command2")->click();
    QVERIFY(fx.forms->form5().isVisible());
    control<QPushButton>(fx.forms->form5(), "Command2")->click();
}

// Rows of red pixels in column x.
QList<int> redRows(const forms::PictureBox* picture, int x) {
    QList<int> rows;
    for (int y = 0; y < picture->image().height(); ++y) {
        if (picture->image().pixelColor(x, y) == RED) rows << y;
    }
    return rows;
}

}  // namespace

class Form10Test : public QObject {
    Q_OBJECT

private slots:
    void plotsTheShippedTable() {
        FormsFixture fx;
        copyShippedTables({"d-DperK.dDk"});
        openConversionWindow(fx);
        forms::Form10& form10 = fx.forms->form10();
        QVERIFY(form10.isVisible());
        QCOMPARE(form10.windowTitle(),
                 QStringLiteral("  Air kerma to absorbed dose at 3 mm in depth"));
        const app::ConversionTable table = app::loadConversionTable("d-DperK.dDk");
        const forms::ConversionPlotFrame frame;
        for (int bin : {40, 60, 120, 160, 200, 280}) {  // 20 ... 140 keV
            const double ratio = table.doseCoefficient3mm[bin] / table.kermaCoefficient[bin];
            const int x = static_cast<int>(std::lround(frame.xOf(bin * 0.5)));
            const int y = static_cast<int>(std::lround(frame.yOf(ratio)));
            const QList<int> rows = redRows(control<forms::PictureBox>(form10, "Picture1"), x);
            QVERIFY2(!rows.isEmpty(), qPrintable(QString::number(bin)));
            QVERIFY2(rows.front() <= y + 2 && rows.back() >= y - 2,
                     qPrintable(QStringLiteral("bin %1: y %2, red %3..%4")
                                    .arg(bin)
                                    .arg(y)
                                    .arg(rows.front())
                                    .arg(rows.back())));
        }
    }

    void thePlotFollowsTheTableInTheWorkingDirectory() {
        FormsFixture fx;
        // A table whose every bin has D3mm/Kair = 1.5.
        std::vector<std::string> lines;
        for (int i = 1; i <= 300; ++i) {
            lines.push_back(
                QStringLiteral("%1 %2 %3").arg(i * 0.5).arg(2.0 * i).arg(3.0 * i).toStdString());
        }
        writeLines("d-DperK.dDk", lines);
        openConversionWindow(fx);
        const forms::ConversionPlotFrame frame;
        const int y = static_cast<int>(std::lround(frame.yOf(1.5)));
        for (int kev : {10, 60, 120}) {
            const QList<int> rows =
                redRows(control<forms::PictureBox>(fx.forms->form10(), "Picture1"),
                        static_cast<int>(std::lround(frame.xOf(kev))));
            QVERIFY(!rows.isEmpty());
            QVERIFY2(rows.front() >= y - 1 && rows.back() <= y + 1,
                     qPrintable(QString::number(kev)));
        }
    }

    void closeHidesIt() {
        FormsFixture fx;
        copyShippedTables({"d-DperK.dDk"});
        openConversionWindow(fx);
        control<QPushButton>(fx.forms->form10(), "Command1")->click();
        QVERIFY(!fx.forms->form10().isVisible());
        QVERIFY(fx.forms->form5().isVisible());
    }
};

QTEST_MAIN(Form10Test)
#include "form10_conversion_factor_test.moc"
