// The whole work flow with the real batch programs: from the main form the
// spectrum starts tavisen, OK takes its HVL results into Form2, the launch
// dialog starts lumetrel (no terminal: detached, input closed) which writes a
// complete result file, and the result browser lists, loads and shows it.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "app/common/picture_format.h"
#include "app/forms/form12_launch_dialog.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/form6_incident_spectrum.h"
#include "app/spectrum/hvl_results.h"
#include "fakes.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

void copyProgram(const char* path) {
    const QString target = QFileInfo(QString::fromLatin1(path)).fileName();
    QVERIFY(QFile::copy(QString::fromLatin1(path), target));
}

int lineCount(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return file.readAll().count('\n');
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void spectrumHvlAndSimulationFromTheForms() {
        ScopedWorkDir dir;
        copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat", "ICRUSoft.dat",
                           "MU_en2016.dat"});
        copyProgram(TAVISEN_PROGRAM);
        copyProgram(LUMETREL_PROGRAM);
        MessageRecorder recorder;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(dir.path().string()));
        forms::SystemProcessStarter starter(QStringList{});  // no terminal: runs unattended
        FakeClock clock;
        forms::Forms forms(starter, clock);
        forms::Form2& form2 = forms.form2();
        form2.showModeless();

        QTest::mouseClick(form2.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(recorder.messages.empty());
        forms::Form6& form6 = forms.form6();
        QVERIFY(form6.isVisible());
        form6.setHvlWaitMs(30000);
        QTest::mouseClick(form6.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY2(recorder.messages.empty(),
                 recorder.messages.empty() ? "" : qPrintable(recorder.messages[0].text));
        const auto hvl = app::readHvlResults(HVL_FILE);
        QVERIFY(hvl.has_value());
        QCOMPARE(form2.findChild<QLineEdit*>("Text9")->text(),
                 QString::fromStdString(app::formatPicture(hvl->firstHvlMm, "0.000")));
        QCOMPARE(form2.findChild<QLineEdit*>("Text10")->text(),
                 QString::fromStdString(app::formatPicture(hvl->firstEffectiveEnergyKev, "00.00")));
        QCOMPARE(form2.findChild<QLineEdit*>("Text11")->text(),
                 QString::fromStdString(app::formatPicture(hvl->fluencePerExposure, "0.000E+00")));
        // 80 kV, 2.5 + 1.5 mm Al: a first HVL of a few mm Al.
        QVERIFY(hvl->firstHvlMm > 2 && hvl->firstHvlMm < 5);

        form2.findChild<QLineEdit*>("Text8")->setText("0.35");
        form2.findChild<QLineEdit*>("Text12")->setText("60");
        QTest::mouseClick(form2.findChild<QPushButton*>("Command3"), Qt::LeftButton);
        forms::Form12& form12 = forms.form12();
        QVERIFY(form12.isVisible());
        form12.findChild<QLineEdit*>("Text1")->setText("20000");
        form12.findChild<QLineEdit*>("Text2")->setText("e2e");
        QTest::mouseClick(form12.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(recorder.messages.size(), std::size_t{1});
        QVERIFY(recorder.messages[0].text.contains("e2e.log"));
        QVERIFY(!form12.isVisible());

        QTRY_COMPARE_WITH_TIMEOUT(lineCount("e2e.data"), 353, 240000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile("e2e.log").size() > 0, 10000);
        // The run conditions at the file's end are the ones entered in the forms.
        QFile result("e2e.data");
        QVERIFY(result.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = result.readAll().split('\n');
        QCOMPARE(lines[310].trimmed(), QByteArray("20.0"));    // thickness [cm]
        QCOMPARE(lines[314].trimmed(), QByteArray(".350"));    // curtain lead [mm]
        QCOMPARE(lines[315].trimmed(), QByteArray("60.0"));    // curtain length [cm]
        QCOMPARE(lines[316].trimmed(), QByteArray("80.0"));    // tube voltage [kV]
        QCOMPARE(lines[321].trimmed(), QByteArray(".2E+05"));  // histories

        // The browser lists the new file, loads it and shows the air kerma per
        // angle of lines 303-309 (45 to 135 degrees).
        openAndLoad(forms, QStringLiteral("e2e.data"));
        QCOMPARE(recorder.messages.size(), std::size_t{1});
        QCOMPARE(forms.state().resultSet.fileName, std::string("e2e.data"));
        const char* const kermaBoxes[] = {"Text6",  "Text7",  "Text13", "Text14",
                                          "Text15", "Text16", "Text17"};
        for (int k = 2; k <= 8; ++k) {
            const QList<QByteArray> fields = lines[301 + k - 1].simplified().split(' ');
            QCOMPARE(fields.size(), 3);
            const QLineEdit* box = forms.form1().findChild<QLineEdit*>(kermaBoxes[k - 2]);
            QVERIFY(box);
            QCOMPARE(box->text(),
                     QString::fromStdString(app::formatPicture(fields[2].toDouble(), "0.000E+00")));
        }
    }
};

QTEST_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
