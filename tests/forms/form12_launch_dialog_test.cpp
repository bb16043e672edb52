// The launch dialog: the run file written from the main form's and its own
// fields (exact bytes, text-box number rule), the result name checks, the
// engine start and its message, Cancel and start failures.
#include "app/forms/form12_launch_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include "app/forms/form2_main_input.h"
#include "app/forms/form6_incident_spectrum.h"
#include "app/forms/forms.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "fakes.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

const QString STARTED = QStringLiteral(
    " cpuスレッド数以内であれば、同時に異なる条件下でシミュレーションを行なうことができます ");

QLineEdit* box(QWidget& form, const char* name) {
    auto* found = form.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!found) qFatal("no %s", name);
    return found;
}

void clickStart(forms::Form12& form12) {
    QTest::mouseClick(form12.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
}

//! Enters the curtain and opens Form12 through step (5).
forms::Form12& openDialog(FormsFixture& fx, const QString& lead = "0.35",
                          const QString& length = "60") {
    forms::Form2& form2 = fx.forms->form2();
    box(form2, "Text8")->setText(lead);
    box(form2, "Text12")->setText(length);
    QTest::mouseClick(form2.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    return fx.forms->form12();
}

}  // namespace

class Form12Test : public QObject {
    Q_OBJECT

private slots:
    void controlsAndDefaults() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        QCOMPARE(form12.windowTitle(), QStringLiteral("Monte Carlo simulation"));
        QCOMPARE(box(form12, "Text1")->geometry(), QRect(296, 72, 169, 29));
        QCOMPARE(form12.findChild<QPushButton*>("Command2")->text(), QStringLiteral("キャンセル"));
        // Every opening resets both fields.
        box(form12, "Text1")->setText("7");
        box(form12, "Text2")->setText("mine");
        fx.clock.date = QDate(2026, 12, 31);
        openDialog(fx);
        QCOMPARE(box(form12, "Text1")->text(), QStringLiteral("500000000"));
        QCOMPARE(box(form12, "Text2")->text(), QStringLiteral("12-31-2026"));
    }

    void startWritesTheRunFileOfTheExample() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        box(form12, "Text2")->setText(QStringLiteral("name"));
        clickStart(form12);

        QCOMPARE(QString::fromStdString(readWhole(RUN_FILE)),
                 QStringLiteral("20.0\r\n80.0\r\n25.0\r\n25.0\r\n0.035\r\n60.0\r\n5.000E+08\r\n"
                                "name.data\r\n"));
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
        const RecordedStart& start = fx.starter.starts[0];
        QCOMPARE(start.request.program, QStringLiteral("lumetrel"));
        QVERIFY(start.request.style == forms::WindowStyle::NormalWithFocus);
        QCOMPARE(start.request.logFileName, QStringLiteral("name.log"));
        QVERIFY(start.runFileExisted);  // written before the engine starts
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QCOMPARE(fx.recorder.messages[0].text, STARTED);
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::None);
        QVERIFY(!form12.isVisible());
    }

    void withoutTerminalTheMessageNamesTheLog() {
        FormsFixture fx;
        fx.starter.outcome = {true, {}, {}, {}};
        forms::Form12& form12 = openDialog(fx);
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        const QString text = fx.recorder.messages[0].text;
        QVERIFY(text.startsWith(STARTED + QStringLiteral("\n")));
        QVERIFY(text.contains(QStringLiteral("03-07-2025.log")));
    }

    void textBoxNumberRule_data() {
        QTest::addColumn<QString>("thickness");
        QTest::addColumn<QString>("fsd");
        QTest::addColumn<QString>("histories");
        QTest::addColumn<QString>("expected");  // lines 1, 2 and 7
        QTest::newRow("blanks inside") << "1 2"
                                       << " 8 0 "
                                       << "5 000"
                                       << "12.0|80.0|5.000E+03";
        QTest::newRow("letters after") << "20cm"
                                       << "80kV"
                                       << "1e6x"
                                       << "20.0|80.0|1.000E+06";
        // Empty and non-numeric texts are 0: a run the engine would refuse,
        // so the dialog refuses it (an empty expectation: no run file).
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
        QTest::newRow("not a number") << "abc"
                                      << "x80"
                                      << "many"
                                      << "";
        QTest::newRow("point always") << "0.5"
                                      << "120"
                                      << "2.5E3"
                                      << "0.5|120.0|2.500E+03";
        QTest::newRow("hex and octal") << "&H14"
                                       << "&O120"
                                       << "&H10"
                                       << "20.0|80.0|1.600E+01";
    }

    void textBoxNumberRule() {
        QFETCH(QString, thickness);
        QFETCH(QString, fsd);
        QFETCH(QString, histories);
        QFETCH(QString, expected);
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx, "0.35", "0");
        box(fx.forms->form2(), "Text6")->setText(thickness);
        box(fx.forms->form2(), "Text7")->setText(fsd);
        box(form12, "Text1")->setText(histories);
        clickStart(form12);
        if (expected.isEmpty()) {
            QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
            QVERIFY(fx.starter.starts.empty());
            return;
        }
        const QStringList lines = QString::fromStdString(readWhole(RUN_FILE)).split("\r\n");
        QCOMPARE(lines.size(), 9);  // eight lines, each ended
        QCOMPARE(QStringList({lines[0], lines[1], lines[6]}).join('|'), expected);
    }

    void valuesTheEngineWouldRefuse_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");  // the entry the message names
        QTest::newRow("FSD 1000") << "Text7"
                                  << "1000"
                                  << "焦点-入射表面間距離";
        QTest::newRow("field 1000") << "Text13"
                                    << "1000"
                                    << "照射野サイズ（長軸）";
        QTest::newRow("rounds to 1000.0") << "Text6"
                                          << "999.96"
                                          << "被照射体の厚さ";
        QTest::newRow("lead 10 mm") << "Text8"
                                    << "10"
                                    << "鉛カーテンの鉛当量";
        QTest::newRow("length -100") << "Text12"
                                     << "-100"
                                     << "鉛カーテンの長さ";
        QTest::newRow("histories 1e30") << "Text1"
                                        << "1e30"
                                        << "入射光子数";
    }

    void valuesTheEngineWouldRefuse() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, named);
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        QWidget& holder = box == "Text1" ? static_cast<QWidget&>(form12) : fx.forms->form2();
        ::box(holder, qPrintable(box))->setText(text);
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Exclamation);
        QVERIFY2(fx.recorder.messages[0].text.contains(named),
                 qPrintable(fx.recorder.messages[0].text));
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(fx.starter.starts.empty());
        QVERIFY(form12.isVisible());
    }

    void refusedResultNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("slash") << "runs/a";
        QTest::newRow("backslash") << "a\\b";
        QTest::newRow("colon") << "a:b";
        QTest::newRow("star") << "a*";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("hidden") << ".run";
        QTest::newRow("251 characters") << QString(251, QChar('a'));
        // Longer than the directory's names allow once ".unc.csv" and the
        // temporary's suffix are added.
        QTest::newRow("241 characters") << QString(241, QChar('a'));
        QTest::newRow("250 characters") << QString(250, QChar('a'));
    }

    void refusedResultNames() {
        QFETCH(QString, name);
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        box(form12, "Text2")->setText(name);
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Exclamation);
        // Worded in Japanese like every text of the window.
        QVERIFY2(!fx.recorder.messages[0].text.contains(QRegularExpression("[A-Za-z]{3,}")),
                 qPrintable(fx.recorder.messages[0].text));
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(fx.starter.starts.empty());
        QVERIFY(form12.isVisible());
    }

    void runFilesInTheWayAreRefusedBeforeTheStart() {
        FormsFixture fx;
        QDir().mkdir(QStringLiteral("taken.data"));
        forms::Form12& form12 = openDialog(fx);
        box(form12, "Text2")->setText(QStringLiteral("taken"));
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        const QString text = fx.recorder.messages[0].text;
        QVERIFY2(text.contains(QStringLiteral("taken.data")) &&
                     text.contains(QStringLiteral("フォルダ")),
                 qPrintable(text));
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(fx.starter.starts.empty());
    }

    void engineOptionsFollowTheBoxesAndAreKept() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        auto* allCores = form12.findChild<QCheckBox*>(QStringLiteral("Check1"));
        auto* pointDetector = form12.findChild<QCheckBox*>(QStringLiteral("Check2"));
        QCOMPARE(allCores->text(), QStringLiteral("全コアで並列計算"));
        QCOMPARE(pointDetector->text(), QStringLiteral("点検出器推定（高速）"));
        QCOMPARE(allCores->isChecked(), QThread::idealThreadCount() > 1);
        // The fast estimator is the first choice of a new user.
        QVERIFY(pointDetector->isChecked());

        if (!allCores->isChecked()) allCores->click();
        clickStart(form12);
        QCOMPARE(fx.starter.starts.back().request.arguments,
                 QStringList({"--threads", "0", "--estimator", "next-event"}));

        // The next start of the program finds the same choices, the user's
        // own over the defaults.
        allCores->click();
        pointDetector->click();
        forms::Forms again(fx.starter, fx.clock);
        QVERIFY(!again.form12().findChild<QCheckBox*>(QStringLiteral("Check1"))->isChecked());
        QVERIFY(!again.form12().findChild<QCheckBox*>(QStringLiteral("Check2"))->isChecked());
        QCOMPARE(again.form12().engineArguments(), QStringList());
    }

    void theProgramsRoomRunsWithItsSceneFileAndEyePointsWithNextEvent() {
        FormsFixture fx;
        SceneDescription& scene = fx.forms->state().scene;
        scene.shields.push_back({"天井", 0.5, {55, 0, -45}, 60, 75, 10});
        scene.eyePoints.push_back({"術者", {60, 30, -40}});
        forms::Form12& form12 = openDialog(fx);
        auto* pointDetector = form12.findChild<QCheckBox*>(QStringLiteral("Check2"));
        QVERIFY(pointDetector->isChecked());
        QVERIFY(!pointDetector->isEnabled());  // the analog estimator scores no eye point
        QVERIFY(form12.findChild<QLabel*>(QStringLiteral("Label7"))
                    ->text()
                    .contains(QStringLiteral("遮へい板 1 枚、目の位置 1 点")));
        clickStart(form12);
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
        const QStringList arguments = fx.starter.starts[0].request.arguments;
        QCOMPARE(arguments.mid(arguments.size() - 2),
                 QStringList({"--scene", QString::fromLatin1(forms::LAUNCH_SCENE_FILE)}));
        QVERIFY(readSceneFile(forms::LAUNCH_SCENE_FILE) == scene);

        // A room the engine would refuse does not start.
        scene.eyePoints[0].positionCm[0] = 10;
        openDialog(fx);
        clickStart(form12);
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
        QVERIFY2(fx.recorder.messages.back().text.contains(QStringLiteral("目の位置 1 行目")),
                 qPrintable(fx.recorder.messages.back().text));

        // Without a room no scene is named.
        scene = {};
        openDialog(fx);
        QVERIFY(!form12.engineArguments().contains(QStringLiteral("--scene")));
    }

    void longAndJapaneseNamesAreAccepted() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        // The engine keeps the whole name line, so a long name keeps its ".data".
        box(form12, "Text2")->setText(QStringLiteral("chest_80kV_curtain_0.35mm_60cm_run2"));
        clickStart(form12);
        QVERIFY(QString::fromStdString(readWhole(RUN_FILE))
                    .endsWith(QStringLiteral("chest_80kV_curtain_0.35mm_60cm_run2.data\r\n")));
        openDialog(fx);
        box(form12, "Text2")->setText(QStringLiteral("胸部 80kV"));
        clickStart(form12);
        QVERIFY(QString::fromStdString(readWhole(RUN_FILE))
                    .endsWith(QStringLiteral("胸部 80kV.data\r\n")));
        QCOMPARE(fx.starter.starts.size(), std::size_t{2});
    }

    void aSpectrumOfOtherConditionsIsNamedBeforeItRuns_data() {
        QTest::addColumn<QString>("changeAfterStep4");
        QTest::addColumn<QString>("named");
        QTest::newRow("voltage typed back") << "Text1 80"
                                            << "Ｘ線管電圧: スペクトル 100 kV、主画面 80 kV";
        QTest::newRow("rectification chosen") << "Option9"
                                              << "整流方式: スペクトル 定電圧、主画面 単相全波";
    }

    void aSpectrumOfOtherConditionsIsNamedBeforeItRuns() {
        QFETCH(QString, changeAfterStep4);
        QFETCH(QString, named);
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        // Step (4) at 100 kV, its window cancelled, then the form changed back.
        box(form2, "Text1")->setText(QStringLiteral("100"));
        QTest::mouseClick(form2.findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QTest::mouseClick(fx.forms->form6().findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        if (changeAfterStep4 == QStringLiteral("Option9")) {
            form2.findChild<QRadioButton*>(QStringLiteral("Option9"))->click();
        } else {
            box(form2, "Text1")->setText(changeAfterStep4.section(' ', 1));
        }
        const std::size_t starts = fx.starter.starts.size();  // tavisen's
        forms::Form12& form12 = openDialog(fx);
        clickStart(form12);
        // The user is asked; "No" (and no answer) starts nothing.
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        const forms::MessageRecord& question = fx.recorder.messages[0];
        QVERIFY(question.buttons == forms::MessageButtons::YesNo);
        QVERIFY2(question.text.contains(named), qPrintable(question.text));
        QCOMPARE(fx.starter.starts.size(), starts);
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(form12.isVisible());
        // "Yes" runs the spectrum as it is.
        fx.recorder.questionAnswer = forms::MessageAnswer::Yes;
        clickStart(form12);
        QCOMPARE(fx.starter.starts.size(), starts + 1);
        QCOMPARE(fx.recorder.messages.back().text, STARTED);
    }

    void theSpectrumOfTheFormsConditionsRunsWithoutAQuestion() {
        FormsFixture fx;
        QTest::mouseClick(fx.forms->form2().findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        clickStart(openDialog(fx));
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QCOMPARE(fx.recorder.messages[0].text, STARTED);
    }

    void anExistingResultIsReplacedOnlyWhenTheUserSaysYes() {
        FormsFixture fx;
        writeTextFileAtomically("chest.data", {"earlier result"});
        forms::Form12& form12 = openDialog(fx);
        box(form12, "Text2")->setText(QStringLiteral("chest"));
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].buttons == forms::MessageButtons::YesNo);
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Question);
        QVERIFY(
            fx.recorder.messages[0].text.contains(QStringLiteral("「chest.data」は既にあります")));
        QVERIFY(fx.starter.starts.empty());
        QVERIFY(form12.isVisible());
        fx.recorder.questionAnswer = forms::MessageAnswer::Yes;
        clickStart(form12);
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
    }

    void cancelWritesNothing() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        QTest::mouseClick(form12.findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        QVERIFY(!form12.isVisible());
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(fx.starter.starts.empty());
    }

    void enterPressesTheFocusedButtonAndElsewhereTheStartButton() {
        FormsFixture fx;
        forms::Form12& form12 = openDialog(fx);
        auto* start = form12.findChild<QPushButton*>(QStringLiteral("Command1"));
        QCOMPARE(form12.defaultButton(), start);
        QVERIFY(start->isDefault());
        // Enter in the name box starts the simulation ...
        QTest::keyClick(box(form12, "Text2"), Qt::Key_Return);
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
        QVERIFY(!form12.isVisible());
        // ... and on a focused Cancel it cancels.
        openDialog(fx);
        QTest::keyClick(form12.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::Key_Enter,
                        Qt::KeypadModifier);
        QVERIFY(!form12.isVisible());
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
    }

    void engineThatCannotStartIsReportedAndDialogStays() {
        FormsFixture fx;
        fx.starter.outcome = {false, {}, {}, QStringLiteral("lumetrel is not an executable")};
        forms::Form12& form12 = openDialog(fx);
        clickStart(form12);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Critical);
        QVERIFY(form12.isVisible());
    }
};

QTEST_MAIN(Form12Test)
#include "form12_launch_dialog_test.moc"
