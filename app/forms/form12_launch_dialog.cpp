#include "app/forms/form12_launch_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "app/common/text_value.h"
#include "app/forms/duration_text.h"
#include "app/forms/form14_run_progress.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/forms/output_fault_text.h"
#include "app/forms/rectification_caption.h"
#include "app/forms/scene_texts.h"
#include "app/forms/settings.h"
#include "app/live/run_rate_calibration.h"
#include "app/run/run_file.h"
#include "app/run/run_time_estimate.h"
#include "app/spectrum/spectrum_file.h"
#include "app/widgets/clock.h"
#include "app/widgets/controls.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/process_starter.h"
#include "common/engine_texts.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "common/output_files.h"
#include "common/regular_file.h"
#include "common/run_limits.h"
#include "common/scene_file.h"
#include "common/text_file.h"

namespace korvana::forms {

namespace {

const QString STARTED_MESSAGE = QStringLiteral(
    " cpuスレッド数以内であれば、同時に異なる条件下でシミュレーションを行なうことができます ");

std::string textOf(const QLineEdit* box) { return box->text().toStdString(); }

const QString PARALLEL_KEY = QStringLiteral("launch/allCores");
const QString NEXT_EVENT_KEY = QStringLiteral("launch/pointDetectorEstimator");

QString resultNameFaultText(app::ResultNameFault fault) {
    switch (fault) {
        case app::ResultNameFault::Empty:
            return QStringLiteral("ファイル名が入力されていません。");
        case app::ResultNameFault::Directory:
            return QStringLiteral("「.」や「..」はフォルダを表すため使えません。");
        case app::ResultNameFault::PathSeparator:
            return QStringLiteral(
                "「/」や「\\」は使えません（結果は作業フォルダに保存されます）。");
        case app::ResultNameFault::ForbiddenCharacter:
            return QStringLiteral("制御文字や : * ? \" < > | はファイル名に使えません。");
        case app::ResultNameFault::Hidden:
            return QStringLiteral(
                "「.」で始まる名前は隠しファイルになり、結果一覧に表示されません。");
        case app::ResultNameFault::TooLong:
            return QStringLiteral("名前が長すぎます（このフォルダでは %1 バイトまで）。")
                .arg(longestResultStem("."));
        case app::ResultNameFault::None:
            break;
    }
    return {};
}

//! The entry of a run file value as the windows name it, and its unit there.
std::pair<QString, QString> runFieldCaption(RunField field) {
    switch (field) {
        case RunField::PhantomThickness:
            return {QStringLiteral("被照射体の厚さ"), QStringLiteral("cm")};
        case RunField::FocusSurfaceDistance:
            return {QStringLiteral("焦点-入射表面間距離"), QStringLiteral("cm")};
        case RunField::FieldSizeY:
            return {QStringLiteral("照射野サイズ（長軸）"), QStringLiteral("cm")};
        case RunField::FieldSizeX:
            return {QStringLiteral("照射野サイズ（短軸）"), QStringLiteral("cm")};
        case RunField::CurtainLeadThickness:
            return {QStringLiteral("鉛カーテンの鉛当量"), QStringLiteral("mm")};
        case RunField::CurtainLength:
            return {QStringLiteral("鉛カーテンの長さ (L)"), QStringLiteral("cm")};
        case RunField::HistoryCount:
            return {QStringLiteral("入射光子数"), QStringLiteral("個")};
    }
    return {};
}

//! Why the engine would refuse a value, in the windows' words and units.
QString runValueFaultText(const RunValueFault& fault) {
    const auto [caption, unit] = runFieldCaption(fault.field);
    // The lead equivalent is typed in mm and written in cm.
    const double scale = fault.field == RunField::CurtainLeadThickness ? 10.0 : 1.0;
    const auto number = [](double value) { return QString::number(value, 'g', 7); };
    const RunValueRange& r = fault.range;
    QString range = number(r.lowest * scale) + (r.lowestIncluded ? QStringLiteral(" 以上、")
                                                                 : QStringLiteral(" より大きく、"));
    if (r.highestIsCurtainRule) {
        range += QStringLiteral("FSD − 20 + 厚さ = %1 cm 以下").arg(number(r.highest));
    } else {
        range += number(r.highest * scale) + QStringLiteral(" 以下");
    }
    return QStringLiteral(
               "計算条件を確かめて下さい。\n%1 %2 %3 は計算できません（%4 %3 "
               "の範囲で入力して下さい）。")
        .arg(caption, number(fault.value * scale), unit, range);
}

//! "Ｘ線管電圧: スペクトル 100 kV、主画面 80 kV", in the main form's words.
QString spectrumDifferenceText(const app::SpectrumConditionDifference& d) {
    QString caption;
    QString unit;
    switch (d.condition) {
        case app::SpectrumCondition::TubeVoltage:
            caption = QStringLiteral("Ｘ線管電圧");
            unit = QStringLiteral(" kV");
            break;
        case app::SpectrumCondition::TargetAngle:
            caption = QStringLiteral("ターゲット角度");
            unit = QStringLiteral(" 度");
            break;
        case app::SpectrumCondition::InherentFiltration:
            caption = QStringLiteral("固有ろ過（Al 当量）");
            unit = QStringLiteral(" mm");
            break;
        case app::SpectrumCondition::AddedAluminium:
            caption = QStringLiteral("アルミ付加フィルタ");
            unit = QStringLiteral(" mm");
            break;
        case app::SpectrumCondition::AddedCopper:
            caption = QStringLiteral("銅付加フィルタ");
            unit = QStringLiteral(" mm");
            break;
        case app::SpectrumCondition::Rectification:
            caption = QStringLiteral("整流方式");
            break;
    }
    const auto shown = [&d](const std::string& value) {
        if (d.condition != app::SpectrumCondition::Rectification) {
            return QString::fromStdString(value);
        }
        const auto mode = app::rectificationFromText(value);
        return mode ? rectificationCaption(*mode) : QString::fromStdString(value);
    };
    return QStringLiteral("　%1: スペクトル %2%4、主画面 %3%4")
        .arg(caption, shown(d.inFile), shown(d.inForm), unit);
}

QCheckBox* addCheckBox(QWidget* parent, const char* name, const QString& caption, TwipRect where) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(where.toPixels());
    return box;
}

}  // namespace

Form12::Form12(Forms& forms)
    : Form("Form12", QStringLiteral("Monte Carlo simulation"), 7800, 4680),
      Label5(addLabel(page(), "Label5",
                      QStringLiteral("入射光子数、結果保存ファイル名を入力して下さい"),
                      {240, 240, 7245, 465})),
      Label1(addLabel(page(), "Label1", QStringLiteral("入射光子数（ヒストリー）="),
                      {360, 1080, 4035, 465})),
      Text1(addTextBox(page(), "Text1", {4440, 1080, 2535, 435})),
      Label2(addLabel(page(), "Label2", QStringLiteral("個"), {7080, 1080, 315, 465})),
      Label3(addLabel(page(), "Label3", QStringLiteral("結果を保存するファイル名"),
                      {480, 1800, 3780, 465})),
      Label4(addLabel(page(), "Label4", QStringLiteral("（拡張子なしで入力）"),
                      {4320, 1800, 2850, 420})),
      Text2(addTextBox(page(), "Text2", {840, 2280, 6015, 435})),
      Check1(addCheckBox(page(), "Check1", QStringLiteral("全コアで並列計算"),
                         {840, 2760, 2900, 330})),
      Check2(addCheckBox(page(), "Check2", QStringLiteral("点検出器推定（高速）"),
                         {3840, 2760, 3600, 330})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("シミュレーション開始"),
                                {600, 3120, 2895, 615})),
      Command2(addCommandButton(page(), "Command2", QStringLiteral("キャンセル"),
                                {4200, 3120, 2895, 615})),
      Label6(addLabel(page(), "Label6", {}, {600, 3810, 6600, 360})),
      Label7(addLabel(page(), "Label7", {}, {600, 4170, 6600, 360})),
      m_forms(forms) {
    Label5->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    for (QLabel* label : {Label1, Label2, Label3, Label4}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    Check1->setChecked(storedChoice(PARALLEL_KEY, QThread::idealThreadCount() > 1));
    Check2->setChecked(storedChoice(NEXT_EVENT_KEY, true));
    // Only the user's own clicks are remembered.
    connect(Check1, &QCheckBox::clicked, this, [](bool on) { storeChoice(PARALLEL_KEY, on); });
    connect(Check2, &QCheckBox::clicked, this, [](bool on) { storeChoice(NEXT_EVENT_KEY, on); });
    for (QLabel* label : {Label6, Label7}) label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(Text1, &QLineEdit::textChanged, this, [this] { showExpectedTime(); });
    connect(Check1, &QCheckBox::toggled, this, [this] { showExpectedTime(); });
    connect(Check2, &QCheckBox::toggled, this, [this] { showExpectedTime(); });
    setDefaultButton(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

QStringList Form12::engineArguments() const {
    QStringList arguments;
    if (Check1->isChecked()) arguments << QStringLiteral("--threads") << QStringLiteral("0");
    if (Check2->isChecked()) {
        arguments << QStringLiteral("--estimator") << QStringLiteral("next-event");
    }
    if (!sceneIsEmpty(m_forms.state().scene)) {
        arguments << QStringLiteral("--scene") << QString::fromLatin1(LAUNCH_SCENE_FILE);
    }
    return arguments;
}

int Form12::engineThreads() const {
    return Check1->isChecked() ? std::max(QThread::idealThreadCount(), 1) : 1;
}

void Form12::showExpectedTime() {
    const double histories = app::textValue(Text1->text().toStdString());
    if (!(histories > 0)) {
        Label6->setText(QStringLiteral("予想計算時間: —"));
        return;
    }
    const std::string_view estimator =
        Check2->isChecked() ? ESTIMATOR_NEXT_EVENT : ESTIMATOR_ANALOG;
    const app::RunRates rates = app::readRunRates(app::RUN_RATES_FILE);
    const double seconds = app::expectedRunSeconds(rates, histories, engineThreads(), estimator);
    Label6->setText(QStringLiteral("予想計算時間: 約 %1（%2 スレッド%3）")
                        .arg(durationText(seconds))
                        .arg(engineThreads())
                        .arg(rates.of(estimator).runs > 0 ? QString()
                             : rates.of(estimator).calibrated
                                 ? QStringLiteral("、短い試算による目安")
                                 : QStringLiteral("、実測前の目安")));
}

void Form12::calibrateRatesOnce() {
    // Anything at the name, even a dangling link, is left as it is.
    if (m_calibrationTried || !nothingNamed(app::RUN_RATES_FILE)) return;
    m_calibrationTried = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        app::writeRunRates(app::RUN_RATES_FILE, app::calibrateRunRates(*app::sharedLiveTables()));
    } catch (const std::exception&) {
        // Tables missing or the directory not writable: the seed serves as a guide.
    }
    QApplication::restoreOverrideCursor();
}

void Form12::openLaunchDialog() {
    Text1->setText(m_caseHistories.isEmpty() ? QStringLiteral("500000000") : m_caseHistories);
    Text2->setText(m_caseName.isEmpty() ? monthDayYear(m_forms.clock().currentDate()) : m_caseName);
    // Runs finished since the last opening may have refined the rates.
    calibrateRatesOnce();
    showRoom();
    showExpectedTime();
    showModelessOver(&m_forms.form2());
}

app::CaseEntries Form12::caseEntries() const {
    app::CaseEntries entries;
    if (!Text1->text().isEmpty()) entries["histories"] = Text1->text().toStdString();
    if (!Text2->text().isEmpty()) entries["name"] = Text2->text().toStdString();
    if (entries.count("histories") == 0 && !m_caseHistories.isEmpty()) {
        entries["histories"] = m_caseHistories.toStdString();
    }
    if (Check1->isChecked()) entries["threads"] = "0";
    entries["estimator"] = Check2->isChecked() ? "next-event" : "analog";
    return entries;
}

void Form12::takeCaseEntries(const app::CaseEntries& entries) {
    const auto text = [&entries](const char* key) {
        const auto it = entries.find(key);
        return it == entries.end() ? QString() : QString::fromStdString(it->second);
    };
    m_caseHistories = text("histories");
    m_caseName = text("name");
    // Only an all-cores "0" is the dialog's choice; other thread counts are korvana-study's.
    Check1->setChecked(text("threads") == QStringLiteral("0"));
    storeChoice(PARALLEL_KEY, Check1->isChecked());
    if (const QString estimator = text("estimator"); !estimator.isEmpty()) {
        Check2->setChecked(estimator == QStringLiteral("next-event"));
        storeChoice(NEXT_EVENT_KEY, Check2->isChecked());
    }
}

void Form12::Command1_Click() {
    const std::string name = textOf(Text2);
    if (const app::ResultNameFault fault = app::resultNameFault(name);
        fault != app::ResultNameFault::None) {
        showMessage(this,
                    QStringLiteral("結果を保存するファイル名を確かめて下さい。\n") +
                        resultNameFaultText(fault),
                    MessageIcon::Exclamation);
        return;
    }

    // The engine would lose its whole run at the end: refuse before it starts.
    if (const auto fault = checkOutputFiles(app::runOutputFiles({}, name), SameKind::Replace,
                                            RESULT_OUTPUT_BYTES)) {
        showMessage(this,
                    QStringLiteral("結果を保存するファイル名を確かめて下さい。\n") +
                        outputFaultText(*fault),
                    MessageIcon::Exclamation);
        return;
    }

    app::RunFileTexts texts = m_forms.form2().runConditions();
    texts.historyCount = textOf(Text1);
    texts.resultName = name;
    // The engine would refuse these values after its start: refuse them here.
    if (const auto fault = app::runFileFault(texts)) {
        showMessage(this, runValueFaultText(*fault), MessageIcon::Exclamation);
        return;
    }
    if (!writeRoom()) return;
    if (!confirmSpectrum() || !confirmReplacing(Text2->text() + QStringLiteral(".data"))) return;
    try {
        writeTextFileAtomically(RUN_FILE, app::formatRunFileLines(texts));
    } catch (const std::exception& error) {
        showMessage(this, QStringLiteral("B2F.txt を書き込めません。\n") + failureDetail(error),
                    MessageIcon::Critical);
        return;
    }
    QCoreApplication::processEvents();

    const QString logName = Text2->text() + QStringLiteral(".log");
    const StartOutcome outcome = m_forms.processStarter().start(
        {QStringLiteral("lumetrel"), WindowStyle::NormalWithFocus, logName, engineArguments()});
    if (!outcome.started) {
        showMessage(this,
                    QStringLiteral("シミュレーションプログラム lumetrel を開始できません。\n") +
                        outcome.error,
                    MessageIcon::Critical);
        return;
    }
    QString message = STARTED_MESSAGE;
    if (outcome.terminal.isEmpty()) {
        message += QStringLiteral(
                       "\n\n端末ウィンドウを開けないため、lumetrel は画面なしで"
                       "実行しています（Enter キーは不要です）。\n経過は %1 に"
                       "書き込まれます。")
                       .arg(outcome.logFileName);
    }
    // The runs panel follows the engine through its log from now on.
    if (!outcome.logFileName.isEmpty()) {
        m_forms.form14().followStartedRun(Text2->text(), outcome.logFileName,
                                          app::textValue(textOf(Text1)));
    }
    showMessage(this, message, MessageIcon::None);
    hide();
    m_forms.form14().openRunProgress();
}

void Form12::showRoom() {
    const SceneDescription& scene = m_forms.state().scene;
    Label7->setText(QStringLiteral("部屋の配置: ") + sceneSummaryText(scene));
    // Only the point detectors score the eye points: the analog estimator is not offered.
    const bool eyePoints = !scene.eyePoints.empty();
    if (eyePoints) Check2->setChecked(true);
    Check2->setEnabled(!eyePoints);
    Check2->setToolTip(eyePoints ? QStringLiteral(" 目の位置は点検出器推定（--estimator "
                                                  "next-event）でのみ計算されます ")
                                 : QString());
}

bool Form12::writeRoom() {
    const SceneDescription& scene = m_forms.state().scene;
    if (sceneIsEmpty(scene)) return true;
    if (!scene.eyePoints.empty() && !Check2->isChecked()) {
        showMessage(this,
                    QStringLiteral("目の位置は点検出器推定（--estimator next-event）でのみ計算"
                                   "されます。\n「点検出器推定（高速）」を選んで下さい。"),
                    MessageIcon::Exclamation);
        return false;
    }
    const double thickness = app::textValue(m_forms.form2().entries().thicknessCm.toStdString());
    const std::vector<SceneFault> faults = roomFaults(scene, thickness);
    if (!faults.empty()) {
        QString lines;
        for (const SceneFault& fault : faults) {
            lines += QStringLiteral("\n") + sceneFaultPlaceText(fault) + QStringLiteral(": ") +
                     sceneFaultText(fault);
        }
        showMessage(
            this,
            QStringLiteral("部屋の配置を確かめて下さい（「部屋の配置…」で直せます）。") + lines,
            MessageIcon::Exclamation);
        return false;
    }
    if (const auto fault = checkOutputFiles({{LAUNCH_SCENE_FILE, FileKind::Scene}})) {
        showMessage(
            this,
            QStringLiteral("部屋の配置のファイルを書き込めません。\n") + outputFaultText(*fault),
            MessageIcon::Exclamation);
        return false;
    }
    try {
        writeSceneFile(LAUNCH_SCENE_FILE, scene);
    } catch (const std::exception& error) {
        showMessage(
            this,
            QStringLiteral("%1 を書き込めません。\n").arg(QString::fromLatin1(LAUNCH_SCENE_FILE)) +
                failureDetail(error),
            MessageIcon::Critical);
        return false;
    }
    return true;
}

bool Form12::confirmSpectrum() {
    // The engine runs the spectrum of B_SPCTL.dat, whatever the main form shows.
    BeamDescriptor file;
    try {
        file = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read).descriptor;
    } catch (const std::exception&) {
        return true;  // no spectrum to compare: the engine names the file it cannot read
    }
    const MainFormEntries e = m_forms.form2().entries();
    const app::ConditionTexts texts{e.tubeVoltageKv.toStdString(), e.targetAngleDeg.toStdString(),
                                    e.inherentMmAl.toStdString(), e.aluminiumMm.toStdString(),
                                    e.copperMm.toStdString()};
    const auto differences = app::spectrumConditionDifferences(
        file, m_forms.state().spectrumRectification, texts, e.rectification);
    if (differences.empty()) return true;
    QString lines;
    for (const auto& difference : differences) lines += spectrumDifferenceText(difference) + '\n';
    const QString question =
        QStringLiteral(
            "B_SPCTL.dat のＸ線スペクトルは、主画面の照射条件で計算したものでは"
            "ありません。\n\n%1\nこのまま開始すると、スペクトルの条件で計算されます。\n"
            "主画面の条件で計算するには「いいえ」を押し、(4)「この条件でＸ線スペクトルを"
            "計算」でスペクトルを計算し直して下さい。\n\n"
            "スペクトルの条件のまま計算を開始しますか？")
            .arg(lines);
    return showMessage(this, question, MessageIcon::Question, MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

bool Form12::confirmReplacing(const QString& resultFile) {
    if (!QFileInfo::exists(resultFile)) return true;
    const QString question = QStringLiteral(
                                 "結果ファイル「%1」は既にあります。\n"
                                 "新しい計算の結果で置き換えますか？\n"
                                 "（残しておくには「いいえ」を押し、ファイル名を変えて下さい）")
                                 .arg(resultFile);
    return showMessage(this, question, MessageIcon::Question, MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

}  // namespace korvana::forms
