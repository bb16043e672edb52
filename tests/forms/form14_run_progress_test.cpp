// The runs panel: a run started from the launch dialog is followed through
// its log; when it finishes, the notice's "結果を開く" opens the result
// browser on its file; a failed run's notice gives the engine's message. A
// growing log of the working directory that korvana did not start is listed too.
#include "app/forms/form14_run_progress.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/forms/form12_launch_dialog.h"
#include "common/engine_texts.h"
#include "fakes.h"
#include "result_file_builder.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

std::string recordedLog(const char* name) {
    std::ifstream in(std::string(KORVANA_RECORDED_LOGS) + "/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeLog(const char* fileName, const std::string& text) {
    std::ofstream(fileName, std::ios::binary) << text;
}

//! Starts a run named `name` through the main form and the launch dialog.
void startRun(FormsFixture& fx, const QString& name) {
    forms::Form2& form2 = fx.forms->form2();
    control<QLineEdit>(form2, "Text8")->setText("0.35");
    control<QLineEdit>(form2, "Text12")->setText("60");
    QTest::mouseClick(control<QPushButton>(form2, "Command3"), Qt::LeftButton);
    forms::Form12& form12 = fx.forms->form12();
    control<QLineEdit>(form12, "Text2")->setText(name);
    QTest::mouseClick(control<QPushButton>(form12, "Command1"), Qt::LeftButton);
}

QString cell(forms::Form14& panel, int row, int column) {
    QTableWidgetItem* item = control<QTableWidget>(panel, "Grid1")->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class Form14Test : public QObject {
    Q_OBJECT

private slots:
    void aFinishedRunsNoticeOpensTheBrowserOnItsFile() {
        FormsFixture fx;
        ResultFileContent::plausible().write("other.data");
        startRun(fx, "chest");
        forms::Form14& panel = fx.forms->form14();
        QVERIFY(panel.isVisible());  // opened by the start
        QCOMPARE(control<QTableWidget>(panel, "Grid1")->rowCount(), 1);
        QCOMPARE(cell(panel, 0, 0), QStringLiteral("chest"));

        std::string finished = recordedLog("parallel_finished.log");
        // As if the run had taken long enough to tell the machine's speed.
        const std::size_t speed = finished.find(" histories in ");
        const std::size_t from = finished.rfind('\n', speed) + 1;
        finished.replace(from, finished.find('\n', speed) - from, engineSpeedLine(200000, 20.0));
        writeLog("chest.log", finished.substr(0, finished.size() / 2));
        panel.poll(100.0);
        QVERIFY(cell(panel, 0, 4).startsWith(QStringLiteral("計算中")));
        QVERIFY(!control<QPushButton>(panel, "Command1")->isEnabled());

        ResultFileContent::plausible().write("chest.data");
        writeLog("chest.log", finished);
        panel.poll(160.0);
        QCOMPARE(cell(panel, 0, 4), QStringLiteral("終了"));
        QVERIFY(control<QLabel>(panel, "Label1")->text().contains(QStringLiteral("chest.data")));
        QVERIFY(control<QPushButton>(panel, "Command1")->isEnabled());

        QTest::mouseClick(control<QPushButton>(panel, "Command1"), Qt::LeftButton);
        forms::Form1& form1 = fx.forms->form1();
        QVERIFY(form1.isVisible());
        auto* list = control<QListWidget>(form1, "File1");
        QVERIFY(list->currentItem());
        QCOMPARE(list->currentItem()->text(), QStringLiteral("chest.data"));
        QVERIFY(!control<QLineEdit>(form1, "Text1")->text().isEmpty());  // its conditions shown
        QCOMPARE(fx.forms->state().resultSet.fileName, std::string("chest.data"));
        // The finished run refined the launch dialog's estimate.
        fx.forms->form12().openLaunchDialog();
        const QString expected = control<QLabel>(fx.forms->form12(), "Label6")->text();
        QVERIFY(expected.startsWith(QStringLiteral("予想計算時間: 約 ")));
        QVERIFY2(!expected.contains(QStringLiteral("実測前")), qPrintable(expected));
    }

    void aFailedRunsNoticeGivesTheEnginesMessage() {
        FormsFixture fx;
        startRun(fx, "broken");
        forms::Form14& panel = fx.forms->form14();
        writeLog("broken.log", recordedLog("missing_table.log"));
        panel.poll(5.0);
        QVERIFY(cell(panel, 0, 4).startsWith(QStringLiteral("失敗: ")));
        QVERIFY(control<QLabel>(panel, "Label1")->text().contains(QStringLiteral("MU_en2016.dat")));
        QVERIFY(!control<QPushButton>(panel, "Command1")->isEnabled());
    }

    void aGrowingLogOfTheWorkingDirectoryIsListed() {
        FormsFixture fx;
        writeLog("night run.log", recordedLog("one_stream_running.log"));
        writeLog("korvana.out.log", "not an engine\n");
        forms::Form14& panel = fx.forms->form14();
        panel.openRunProgress();
        QCOMPARE(control<QTableWidget>(panel, "Grid1")->rowCount(), 1);
        QCOMPARE(cell(panel, 0, 0), QStringLiteral("night run"));
        QVERIFY(cell(panel, 0, 1).contains(QStringLiteral(" / ")));
        // Its log quiet for longer than a bin ever takes: pointed out.
        panel.poll(forms::Form14::QUIET_SECONDS + 60.0);
        QVERIFY(cell(panel, 0, 4).contains(QStringLiteral("ログの更新が")));
    }

    void escapeClosesThePanel() {
        FormsFixture fx;
        forms::Form14& panel = fx.forms->form14();
        panel.openRunProgress();
        QVERIFY(panel.isVisible());
        QTest::keyClick(control<QTableWidget>(panel, "Grid1"), Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
    }
};

QTEST_MAIN(Form14Test)
#include "form14_run_progress_test.moc"
