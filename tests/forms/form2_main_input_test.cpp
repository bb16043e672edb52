// The main input form driven by control name: the start sequence, the
// rectification options, step (4) with its failures, step (5)'s curtain
// checks, the result browser button, Exit and closing the window.
#include "app/forms/form2_main_input.h"

#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/forms/form12_launch_dialog.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "app/forms/form6_incident_spectrum.h"
#include "app/forms/forms.h"
#include "app/widgets/picture_export.h"
#include "fakes.h"

using namespace korvana;
using namespace korvana::testing;

namespace {

template <typename T = QLineEdit>
T* control(QWidget& form, const char* name) {
    T* found = form.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s on %s", name, qPrintable(form.objectName()));
    return found;
}

QStringList items(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
    return list;
}

void touch(const char* name) {
    QFile file(QString::fromLatin1(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x\r\n");
}

}  // namespace

class Form2Test : public QObject {
    Q_OBJECT

private slots:
    void defaultsAfterStart() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        QCOMPARE(form2.windowTitle(), QStringLiteral("Korvana"));
        const std::pair<const char*, const char*> defaults[] = {
            {"Text1", "80"},  {"Text5", "12"},  {"Text2", "2.5"}, {"Text3", "1.5"}, {"Text4", "0"},
            {"Text9", ""},    {"Text10", ""},   {"Text11", ""},   {"Text6", "20"},  {"Text7", "80"},
            {"Text13", "25"}, {"Text14", "25"}, {"Text8", ""},    {"Text12", "0"},
        };
        for (const auto& [name, text] : defaults) {
            QCOMPARE(control(form2, name)->text(), QString::fromLatin1(text));
        }
        QVERIFY(control<QRadioButton>(form2, "Option7")->isChecked());
        QVERIFY(!control<QRadioButton>(form2, "Option8")->isChecked());
        QCOMPARE(fx.forms->state().rectificationMode, app::RectificationMode::ConstantPotential);
        QVERIFY(fx.forms->state().materialTables.has_value());
        QVERIFY(fx.recorder.messages.empty());

        // The result forms exist hidden, their lists filled.
        forms::Form1& form1 = fx.forms->form1();
        QVERIFY(!form1.isVisible());
        auto* angles = control<QComboBox>(form1, "Combo1");
        QCOMPARE(items(angles), (QStringList{"45", "60", "75", "90", "105", "120", "135"}));
        QCOMPARE(angles->currentText(), QStringLiteral("90"));
        forms::Form5& form5 = fx.forms->form5();
        QVERIFY(!form5.isVisible());
        auto* glasses = control<QComboBox>(form5, "Combo2");
        QCOMPARE(items(glasses), (QStringList{"0", "0.07", "0.83", "0.87", ""}));
        QCOMPARE(glasses->currentText(), QStringLiteral("0"));
    }

    void buttonsCarryCaptionsTooltipsAndPositions() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        auto* command1 = control<QPushButton>(form2, "Command1");
        QCOMPARE(command1->text(), QStringLiteral("この条件でＸ線スペクトルを計算"));
        QCOMPARE(command1->toolTip(), QStringLiteral(" スペクトル計算 "));
        QCOMPARE(command1->geometry(), QRect(104, 600, 417, 49));
        QCOMPARE(control<QPushButton>(form2, "Command3")->toolTip(),
                 QStringLiteral(" Monte Carlo simulation"));
        QCOMPARE(control<QPushButton>(form2, "Command2")->text(),
                 QStringLiteral("         計算結果 検索・表示 　　水晶体線量の算出"));
        QCOMPARE(control<QPushButton>(form2, "Command4")->toolTip(), QStringLiteral("   bye   "));
        QCOMPARE(control(form2, "Text8")->geometry().topLeft(), QPoint(1048, 520));
        QCOMPARE(control(form2, "Text11")->width(), 97);
        // The fluence's unit with its raised 2, whole inside its label.
        auto* photons = control<QLabel>(form2, "Label41");
        QCOMPARE(photons->text(), QStringLiteral("Photons / mm²"));
        QVERIFY(QFontMetrics(photons->font()).horizontalAdvance(photons->text()) <=
                photons->width());
    }

    void aCaseFileRoundTripsAndADamagedOneIsRefusedWithItsKey() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        auto* kv = control<QLineEdit>(form2, "Text1");
        auto* lead = control<QLineEdit>(form2, "Text8");
        kv->setText(QStringLiteral("95"));
        lead->setText(QStringLiteral("0.5"));
        control<QRadioButton>(form2, "Option9")->click();
        forms::setSaveNameHook([](const QString&, const QString&) { return QStringLiteral("c"); });
        control<QPushButton>(form2, "Command6")->click();
        QVERIFY(QFile::exists(QStringLiteral("c.korvana.json")));

        kv->setText(QStringLiteral("60"));
        lead->clear();
        control<QRadioButton>(form2, "Option7")->click();
        forms::setOpenNameHook([](const QString&) { return QStringLiteral("c.korvana.json"); });
        control<QPushButton>(form2, "Command7")->click();
        QCOMPARE(kv->text(), QStringLiteral("95"));
        QCOMPARE(lead->text(), QStringLiteral("0.5"));
        QVERIFY(control<QRadioButton>(form2, "Option9")->isChecked());
        QVERIFY(fx.forms->state().rectificationMode == app::RectificationMode::SinglePhaseFullWave);

        QFile damaged(QStringLiteral("c.korvana.json"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(R"({"korvana_case": 1, "kvv": "80"})");
        damaged.close();
        control<QPushButton>(form2, "Command7")->click();
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY2(fx.recorder.messages[0].text.contains(QStringLiteral("kvv")),
                 qPrintable(fx.recorder.messages[0].text));
        QCOMPARE(kv->text(), QStringLiteral("95"));
        forms::setSaveNameHook({});
        forms::setOpenNameHook({});
    }

    void theRoomGoesWithTheCaseAndACaseWithoutOneEmptiesIt() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        SceneDescription& room = fx.forms->state().scene;
        room.shields.push_back({"天井", 0.5, {55, 0, -45}, 60, 75, 0});
        room.eyePoints.push_back({"術者", {60, 30, -40}});
        const SceneDescription saved = room;
        forms::setSaveNameHook([](const QString&, const QString&) { return QStringLiteral("r"); });
        control<QPushButton>(form2, "Command6")->click();
        room = {};
        forms::setSaveNameHook([](const QString&, const QString&) { return QStringLiteral("e"); });
        control<QPushButton>(form2, "Command6")->click();

        forms::setOpenNameHook([](const QString&) { return QStringLiteral("r.korvana.json"); });
        control<QPushButton>(form2, "Command7")->click();
        QVERIFY(room == saved);
        forms::setOpenNameHook([](const QString&) { return QStringLiteral("e.korvana.json"); });
        control<QPushButton>(form2, "Command7")->click();
        QVERIFY(room == SceneDescription{});
        QVERIFY(fx.recorder.messages.empty());
        forms::setSaveNameHook({});
        forms::setOpenNameHook({});
    }

    void optionsSetRectificationMode() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        // A click on the round indicator, as a user would.
        const auto click = [&](const char* name) {
            auto* option = control<QRadioButton>(form2, name);
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
        };
        click("Option9");
        QCOMPARE(fx.forms->state().rectificationMode, app::RectificationMode::SinglePhaseFullWave);
        QVERIFY(!control<QRadioButton>(form2, "Option7")->isChecked());
        click("Option8");
        QCOMPARE(fx.forms->state().rectificationMode, app::RectificationMode::ThreePhase12Peak);
        click("Option7");
        QCOMPARE(fx.forms->state().rectificationMode, app::RectificationMode::ConstantPotential);
    }

    void spectrumStepWritesFileStartsTavisenHiddenAndShowsForm6() {
        FormsFixture fx;
        touch(HVL_FILE);  // left by an earlier spectrum
        forms::Form2& form2 = fx.forms->form2();
        QTest::mouseClick(control<QPushButton>(form2, "Command1"), Qt::LeftButton);

        QVERIFY(fx.recorder.messages.empty());
        QVERIFY(QFile::exists(QString::fromLatin1(SPECTRUM_FILE)));
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
        QCOMPARE(fx.starter.starts[0].request.program, QStringLiteral("tavisen"));
        QVERIFY(fx.starter.starts[0].request.style == forms::WindowStyle::Hidden);
        QVERIFY(!fx.starter.starts[0].hvlFileExisted);
        QVERIFY(fx.forms->form6().isVisible());
        QVERIFY(fx.forms->state().spectrumPeak > 0);
        QCOMPARE(fx.forms->state().incidentSpectrum[161], 0.0);  // above 80 kV
    }

    void spectrumCorrectionsRewriteTheTexts() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        typeInto(control(form2, "Text1"), QStringLiteral("160"));
        typeInto(control(form2, "Text2"), QStringLiteral("0.5"));
        QTest::mouseClick(control<QPushButton>(form2, "Command1"), Qt::LeftButton);
        QCOMPARE(control(form2, "Text1")->text(), QStringLiteral("149.5"));
        QCOMPARE(control(form2, "Text2")->text(), QStringLiteral("1"));
    }

    void zeroTargetAngleIsReportedAndNothingChanges() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        typeInto(control(form2, "Text5"), QStringLiteral("0"));
        QTest::mouseClick(control<QPushButton>(form2, "Command1"), Qt::LeftButton);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Exclamation);
        QCOMPARE(fx.recorder.messages[0].title, QStringLiteral("Korvana"));
        QVERIFY(fx.starter.starts.empty());
        QVERIFY(!QFile::exists(QString::fromLatin1(SPECTRUM_FILE)));
        QVERIFY(form2.isVisible());
        QCOMPARE(control(form2, "Text5")->text(), QStringLiteral("0"));
        QCOMPARE(control(form2, "Text1")->text(), QStringLiteral("80"));
    }

    void tavisenThatCannotStartIsReported() {
        FormsFixture fx;
        fx.starter.outcome = {
            false, {}, {}, QStringLiteral("tavisen is not an executable program")};
        QTest::mouseClick(control<QPushButton>(fx.forms->form2(), "Command1"), Qt::LeftButton);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Critical);
        QVERIFY(fx.recorder.messages[0].text.contains(QStringLiteral("tavisen")));
        QVERIFY(fx.forms->form6().isVisible());  // the spectrum itself is good
    }

    void missingTablesAreReportedAndReadAgainByStepFour() {
        FormsFixture fx(false);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
        QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Critical);
        QVERIFY(fx.recorder.messages[0].text.contains(QStringLiteral("Tungsten.dat")));
        forms::Form2& form2 = fx.forms->form2();
        QVERIFY(form2.isVisible());
        QCOMPARE(control(form2, "Text1")->text(), QStringLiteral("80"));  // defaults still set

        QTest::mouseClick(control<QPushButton>(form2, "Command1"), Qt::LeftButton);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{2});
        QVERIFY(fx.starter.starts.empty());

        copyShippedTables(GUI_TABLES);
        QTest::mouseClick(control<QPushButton>(form2, "Command1"), Qt::LeftButton);
        QCOMPARE(fx.recorder.messages.size(), std::size_t{2});
        QCOMPARE(fx.starter.starts.size(), std::size_t{1});
    }

    void curtainChecks_data() {
        QTest::addColumn<QString>("lead");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("message");
        const QString missing = QStringLiteral(" カーテンの鉛厚、長さが未入力です ");
        const QString wrong = QStringLiteral(" カーテンの長さが正しく入力されていません ");
        QTest::newRow("defaults: lead empty, L 0") << ""
                                                   << "0" << missing;
        QTest::newRow("length empty") << "0.35"
                                      << "" << missing;
        QTest::newRow("both empty") << ""
                                    << "" << missing;
        QTest::newRow("L = FSD - 20 + thickness") << "0.35"
                                                  << "80"
                                                  << "";
        QTest::newRow("L just longer") << "0.35"
                                       << "80.5" << wrong;
        QTest::newRow("L 0") << "0.35"
                             << "0"
                             << "";
        QTest::newRow("L 60") << "0.35"
                              << "60"
                              << "";
        QTest::newRow("lead value not tested") << "abc"
                                               << "60"
                                               << "";
    }

    void curtainChecks() {
        QFETCH(QString, lead);
        QFETCH(QString, length);
        QFETCH(QString, message);
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        typeInto(control(form2, "Text8"), lead);
        typeInto(control(form2, "Text12"), length);
        QTest::mouseClick(control<QPushButton>(form2, "Command3"), Qt::LeftButton);
        if (message.isEmpty()) {
            QVERIFY(fx.recorder.messages.empty());
            forms::Form12& form12 = fx.forms->form12();
            QVERIFY(form12.isVisible());
            QCOMPARE(control(form12, "Text1")->text(), QStringLiteral("500000000"));
            QCOMPARE(control(form12, "Text2")->text(), QStringLiteral("03-07-2025"));
        } else {
            QCOMPARE(fx.recorder.messages.size(), std::size_t{1});
            QCOMPARE(fx.recorder.messages[0].text, message);
            QVERIFY(fx.recorder.messages[0].icon == forms::MessageIcon::Exclamation);
            QCOMPARE(fx.recorder.messages[0].title, QStringLiteral("Korvana"));
        }
    }

    void resultBrowserReplacesMainFormAndExitReturns() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        QTest::mouseClick(control<QPushButton>(form2, "Command2"), Qt::LeftButton);
        forms::Form1& form1 = fx.forms->form1();
        QVERIFY(form1.isVisible());
        QVERIFY(!form2.isVisible());
        QTest::mouseClick(control<QPushButton>(form1, "Command3"), Qt::LeftButton);
        QVERIFY(form2.isVisible());
        QVERIFY(!form1.isVisible());
        QVERIFY(!fx.forms->endRequested());
    }

    void exitDeletesTheThreeWorkFiles() {
        FormsFixture fx;
        for (const char* name : {RUN_FILE, HVL_FILE, SPECTRUM_FILE, "kept.data"}) touch(name);
        QTest::mouseClick(control<QPushButton>(fx.forms->form2(), "Command4"), Qt::LeftButton);
        QVERIFY(!QFile::exists(QString::fromLatin1(RUN_FILE)));
        QVERIFY(!QFile::exists(QString::fromLatin1(HVL_FILE)));
        QVERIFY(!QFile::exists(QString::fromLatin1(SPECTRUM_FILE)));
        QVERIFY(QFile::exists(QStringLiteral("kept.data")));
        QVERIFY(fx.forms->endRequested());
        QVERIFY(!fx.forms->form2().isVisible());
    }

    void exitWithoutWorkFilesEndsSilently() {
        FormsFixture fx;
        touch(HVL_FILE);  // only one of the three
        QTest::mouseClick(control<QPushButton>(fx.forms->form2(), "Command4"), Qt::LeftButton);
        QVERIFY(!QFile::exists(QString::fromLatin1(HVL_FILE)));
        QVERIFY(fx.recorder.messages.empty());
        QVERIFY(fx.forms->endRequested());
    }

    void closingTheWindowEndsWithoutDeleting() {
        FormsFixture fx;
        for (const char* name : {RUN_FILE, HVL_FILE, SPECTRUM_FILE}) touch(name);
        fx.forms->form2().close();
        QVERIFY(fx.forms->endRequested());
        for (const char* name : {RUN_FILE, HVL_FILE, SPECTRUM_FILE}) {
            QVERIFY(QFile::exists(QString::fromLatin1(name)));
        }
    }

    void tabFollowsTheNumberedStepsAndSkipsReadOnlyBoxes() {
        FormsFixture fx;
        forms::Form2& form2 = fx.forms->form2();
        const QStringList expected = {"Text6",    "Text7",    "Text13",  "Text14", "Text1",
                                      "Text5",    "Text2",    "Text3",   "Text4",  "Option7",
                                      "Option8",  "Option9",  "Text8",   "Text12", "Command1",
                                      "Command3", "Command2", "Command4"};
        QStringList chain;
        QWidget* widget = control(form2, "Text6");
        do {
            if (widget->focusPolicy() & Qt::TabFocus) chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != control(form2, "Text6") && chain.size() < 40);
        QCOMPARE(chain.mid(0, expected.size()), expected);
        for (const char* name : {"Text9", "Text10", "Text11"}) QVERIFY(!chain.contains(name));
    }

    void formsAreCreatedOnceAndReshown() {
        FormsFixture fx;
        forms::Form12* first = &fx.forms->form12();
        first->hide();
        QCOMPARE(&fx.forms->form12(), first);
        QCOMPARE(first->objectName(), QStringLiteral("Form12"));
    }
};

QTEST_MAIN(Form2Test)
#include "form2_main_input_test.moc"
