#include "app/forms/form2_main_input.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/forms/form12_launch_dialog.h"
#include "app/forms/form13_live_estimate.h"
#include "app/forms/form14_run_progress.h"
#include "app/forms/form15_room_layout.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "app/forms/form6_incident_spectrum.h"
#include "app/forms/forms.h"
#include "app/forms/pictures.h"
#include "app/forms/scene_texts.h"
#include "app/run/case_file.h"
#include "app/run/run_file.h"
#include "app/spectrum/generate_spectrum.h"
#include "app/widgets/controls.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"
#include "app/widgets/process_starter.h"
#include "common/default_case.h"
#include "common/file_names.h"
#include "common/result_layout.h"

namespace korvana::forms {

namespace {

const QString CURTAIN_MISSING = QStringLiteral(" カーテンの鉛厚、長さが未入力です ");
const QString CURTAIN_LENGTH_WRONG = QStringLiteral(" カーテンの長さが正しく入力されていません ");

constexpr int INPUT_WIDTH = 975;  // [twips] boxes of steps (1) to (3)
constexpr int BOX_HEIGHT = 360;   // [twips]

QLabel* caption(QWidget* parent, const char* name, const QString& text, TwipRect where) {
    return addLabel(parent, name, text, where);
}

std::string textOf(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

Form2::Form2(Forms& forms)
    : Form("Form2", QStringLiteral("Korvana"), 18720, 10920),
      Text6(addTextBox(page(), "Text6", {3480, 4725, INPUT_WIDTH, BOX_HEIGHT})),
      Text7(addTextBox(page(), "Text7", {6960, 4725, INPUT_WIDTH, BOX_HEIGHT})),
      Text13(addTextBox(page(), "Text13", {9480, 4725, INPUT_WIDTH, BOX_HEIGHT})),
      Text14(addTextBox(page(), "Text14", {10920, 4725, INPUT_WIDTH, BOX_HEIGHT})),
      Text1(addTextBox(page(), "Text1", {6600, 6000, INPUT_WIDTH, BOX_HEIGHT})),
      Text5(addTextBox(page(), "Text5", {6600, 6480, INPUT_WIDTH, BOX_HEIGHT})),
      Text2(addTextBox(page(), "Text2", {6600, 6960, INPUT_WIDTH, BOX_HEIGHT})),
      Text3(addTextBox(page(), "Text3", {6600, 7440, INPUT_WIDTH, BOX_HEIGHT})),
      Text4(addTextBox(page(), "Text4", {6600, 7920, INPUT_WIDTH, BOX_HEIGHT})),
      Frame1(addFrame(page(), "Frame1", QStringLiteral("整流方式"), {1200, 6360, 2640, 1800})),
      Option7(addOptionButton(Frame1, "Option7", QStringLiteral("定電圧"), {240, 360, 2280, 360})),
      Option8(addOptionButton(Frame1, "Option8", QStringLiteral("三相12ピーク"),
                              {240, 780, 2280, 360})),
      Option9(
          addOptionButton(Frame1, "Option9", QStringLiteral("単相全波"), {240, 1200, 2280, 360})),
      Text9(addTextBox(page(), "Text9", {10680, 6480, 855, BOX_HEIGHT})),
      Text10(addTextBox(page(), "Text10", {10680, 6960, 855, BOX_HEIGHT})),
      Text11(addTextBox(page(), "Text11", {10440, 7920, 1455, BOX_HEIGHT})),
      Text8(addTextBox(page(), "Text8", {15720, 7800, INPUT_WIDTH, BOX_HEIGHT})),
      Text12(addTextBox(page(), "Text12", {15720, 8280, INPUT_WIDTH, BOX_HEIGHT})),
      Command1(addCommandButton(page(), "Command1",
                                QStringLiteral("この条件でＸ線スペクトルを計算"),
                                {1560, 9000, 6255, 735}, QStringLiteral(" スペクトル計算 "))),
      Command3(addCommandButton(page(), "Command3", QStringLiteral("モンテカルロシミュレーション"),
                                {1560, 9840, 6255, 735},
                                QStringLiteral(" Monte Carlo simulation"))),
      Command2(addCommandButton(page(), "Command2",
                                QStringLiteral("         計算結果 検索・表示 　　水晶体線量の算出"),
                                {9720, 9240, 4455, 1095})),
      Command4(addCommandButton(page(), "Command4", QStringLiteral("Exit"),
                                {17160, 9600, 1290, 675}, QStringLiteral("   bye   "))),
      Picture3(addPictureBox(page(), "Picture3", {12960, 240, 5565, 7335})),
      Picture2(addIconBox(page(), "Picture2", {720, 1560, 480, 480})),
      Picture1(addIconBox(page(), "Picture1", {9960, 9600, 480, 480})),
      m_forms(forms) {
    buildCaptions();
    addExportMenu(Picture3, drawingExport(Picture3, QStringLiteral("geometry")));
    // The icon sits on the button's left; clicks go through to the button.
    Picture1->raise();
    Picture1->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QLineEdit* box : {Text9, Text10, Text11}) makeReadOnly(box);
    // Tab follows the numbered steps: (1) geometry, (2) irradiation
    // conditions, (3) curtain, (4) spectrum, (5) simulation, then the browser and Exit.
    const QList<QWidget*> steps = {Text6, Text7,  Text13,   Text14,   Text1,    Text5,
                                   Text2, Text3,  Text4,    Option7,  Option8,  Option9,
                                   Text8, Text12, Command1, Command3, Command2, Command4};
    for (qsizetype n = 1; n < steps.size(); ++n) setTabOrder(steps[n - 1], steps[n]);
    drawTubeIcon(*Picture2);
    drawResultsIcon(*Picture1);

    connect(Option7, &QRadioButton::clicked, this, [this] { Option7_Click(); });
    connect(Option8, &QRadioButton::clicked, this, [this] { Option8_Click(); });
    connect(Option9, &QRadioButton::clicked, this, [this] { Option9_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    addLiveEstimateButton();
    addCaseButtons();
    for (QLineEdit* box : {Text6, Text7, Text14, Text8, Text12}) {
        connect(box, &QLineEdit::textChanged, this, [this] { redrawGeometry(); });
    }
}

void Form2::addLiveEstimateButton() {
    // In the free space between the result browser's button and Exit, so no
    // control of the steps moves.
    QPushButton* live = addCommandButton(page(), "Command5", QStringLiteral("即時見積もり"),
                                         {14400, 9240, 2520, 735},
                                         QStringLiteral(" 入力を動かしながら結果を見る (Ctrl+L) "));
    live->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(live, &QPushButton::clicked, this, [this] { m_forms.form13().openLiveEstimate(); });
    // Below it, in the band beside Exit that no control uses.
    QPushButton* runs = addCommandButton(page(), "Command8", QStringLiteral("計算の進行状況"),
                                         {14400, 10080, 2520, 540},
                                         QStringLiteral(" 実行中・終了したシミュレーション "));
    connect(runs, &QPushButton::clicked, this, [this] { m_forms.form14().openRunProgress(); });
}

void Form2::addCaseButtons() {
    // In the free band between the steps' heading and step (1), so no control moves.
    QPushButton* save = addCommandButton(
        page(), "Command6", QStringLiteral("ケースを保存…"), {7200, 3360, 2280, 420},
        QStringLiteral(" この画面と計算開始画面の入力をファイルに保存 "));
    QPushButton* open = addCommandButton(page(), "Command7", QStringLiteral("ケースを開く…"),
                                         {9720, 3360, 2280, 420},
                                         QStringLiteral(" 保存したケースの入力を読み込む "));
    // The room panel beside them: the room belongs to the case as the entries do.
    QPushButton* room =
        addCommandButton(page(), "Command9", QStringLiteral("部屋の配置…"), {4680, 3360, 2280, 420},
                         QStringLiteral(" 遮へい板・寝台・目の位置 "));
    connect(room, &QPushButton::clicked, this, [this] { m_forms.form15().openRoomLayout(); });
    connect(save, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(open, &QPushButton::clicked, this, [this] { Command7_Click(); });
}

namespace {

const QString CASE_FILTER = QStringLiteral("Korvana ケース (*.korvana.json)");

//! The case keys of the entries kept as typed (the field and the rectification
//! are written in a form of their own), both ways between a case and the form.
std::vector<std::pair<const char*, QString*>> typedCaseEntries(MainFormEntries& e) {
    return {{"thickness", &e.thicknessCm}, {"fsd", &e.fsdCm},
            {"kv", &e.tubeVoltageKv},      {"angle", &e.targetAngleDeg},
            {"inherent", &e.inherentMmAl}, {"al", &e.aluminiumMm},
            {"cu", &e.copperMm},           {"pb", &e.curtainLeadMm},
            {"length", &e.curtainLengthCm}};
}

}  // namespace

void Form2::Command6_Click() {
    QString name = askSaveName(this, QStringLiteral("ケースを保存"),
                               QStringLiteral("case.korvana.json"), CASE_FILTER);
    if (name.isEmpty()) return;
    if (!name.endsWith(QLatin1String(app::CASE_FILE_SUFFIX))) {
        name += QLatin1String(app::CASE_FILE_SUFFIX);
    }
    MainFormEntries e = entries();
    app::CaseEntries c = m_forms.form12().caseEntries();
    for (const auto& [key, text] : typedCaseEntries(e)) c[key] = text->toStdString();
    c["field"] = (e.fieldLongCm + QLatin1Char('x') + e.fieldShortCm).toStdString();
    c["mode"] = app::rectificationWord(e.rectification);
    // The room panel's room goes with the case; a case without one stays the older layout.
    const SceneDescription& room = m_forms.state().scene;
    app::setCaseScene(c, sceneIsEmpty(room) ? std::nullopt : std::optional(room));
    try {
        app::writeCaseFile(name.toStdString(), c);
    } catch (const std::exception& error) {
        showMessage(this, QStringLiteral("ケースを保存できません。\n") + failureDetail(error),
                    MessageIcon::Exclamation);
    }
}

void Form2::Command7_Click() {
    const QString name = askOpenName(this, QStringLiteral("ケースを開く"), CASE_FILTER);
    if (name.isEmpty()) return;
    app::CaseEntries c;
    SceneDescription room;
    try {
        c = app::readCaseFile(name.toStdString());
        room = app::caseScene(c).value_or(SceneDescription{});
    } catch (const std::exception& error) {
        showMessage(
            this,
            QStringLiteral("ケースファイル %1 を開けません。\n").arg(name) + failureDetail(error),
            MessageIcon::Exclamation);
        return;
    }
    MainFormEntries e = entries();  // entries the case does not hold stay as they are
    for (const auto& [key, text] : typedCaseEntries(e)) {
        if (const auto it = c.find(key); it != c.end()) *text = QString::fromStdString(it->second);
    }
    if (const auto it = c.find("field"); it != c.end()) {
        const QString field = QString::fromStdString(it->second);
        const qsizetype cross = field.indexOf(QLatin1Char('x'));
        e.fieldLongCm = cross < 0 ? field : field.left(cross);
        e.fieldShortCm = cross < 0 ? field : field.mid(cross + 1);
    }
    if (const auto it = c.find("mode"); it != c.end()) {
        e.rectification = app::rectificationFromText(it->second).value_or(e.rectification);
    }
    setEntries(e);
    m_forms.form12().takeCaseEntries(c);
    // A case made without a room is a run without one: the panel's room goes.
    m_forms.state().scene = room;
    sceneChanged();
    m_forms.form15().sceneChanged();
}

void Form2::buildCaptions() {
    QFont titleFont = font();
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    caption(page(), "Label1", QStringLiteral("Korvana"), {240, 120, 4800, 600})->setFont(titleFont);
    QFont headFont = font();
    headFont.setPointSize(12);
    headFont.setBold(true);
    caption(page(), "Label2",
            QStringLiteral("診断領域Ｘ線の側方散乱線量分布および散乱光子スペクトル"),
            {240, 840, 12600, 480})
        ->setFont(headFont);
    caption(page(), "Label3",
            QStringLiteral("被射体側方の散乱線による空気カーマ分布 および "
                           "入射面の線束中心から側方 100 cm"),
            {1440, 1500, 11400, 330});
    caption(
        page(), "Label4",
        QStringLiteral("における線束中心軸に対して 45～135 度方向への散乱光子スペクトルを計測する"),
        {1440, 1830, 11400, 330});
    caption(page(), "Label5",
            QStringLiteral("( Ｘ線管からの漏洩Ｘ線，被射体以外からの散乱線は計測しない )"),
            {1440, 2220, 11400, 330});
    QFont stepFont = font();
    stepFont.setBold(true);
    QLabel* steps = caption(page(), "Label6", QStringLiteral("ステップ (1)→(2)→(3)→(4)→(5)"),
                            {240, 2880, 6000, 360});
    steps->setFont(stepFont);
    steps->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));

    // Step (1): geometry
    caption(page(), "Label7", QStringLiteral("(1)"), {240, 4250, 360, 330})->setFont(stepFont);
    caption(page(), "Label8", QStringLiteral("幾何学的"), {600, 4250, 960, 330})->setFont(stepFont);
    caption(page(), "Label9", QStringLiteral("配置等"), {600, 4560, 960, 330})->setFont(stepFont);
    caption(page(), "Label10", QStringLiteral("被照射体（ICRU軟部組織）"), {1800, 4250, 3600, 330});
    caption(page(), "Label11", QStringLiteral("40 × 30 ×"), {2160, 4770, 1300, 330});
    caption(page(), "Label12", QStringLiteral("cm"), {4500, 4770, 400, 330});
    caption(page(), "Label13", QStringLiteral("(厚さ)"), {3600, 5130, 900, 330});
    caption(page(), "Label14", QStringLiteral("焦点-入射表面間距離"), {5760, 4250, 3000, 330});
    caption(page(), "Label15", QStringLiteral("FSD ="), {6180, 4770, 780, 330});
    caption(page(), "Label16", QStringLiteral("cm"), {7980, 4770, 400, 330});
    caption(page(), "Label17", QStringLiteral("照射野サイズ at FSD"), {9480, 4250, 3000, 330});
    caption(page(), "Label18", QStringLiteral("×"), {10560, 4770, 300, 330});
    caption(page(), "Label19", QStringLiteral("cm"), {11940, 4770, 400, 330});
    caption(page(), "Label20", QStringLiteral("(長軸)"), {9600, 5130, 900, 330});
    caption(page(), "Label21", QStringLiteral("(短軸)"), {11040, 5130, 900, 330});

    // Step (2): irradiation conditions
    caption(page(), "Label22", QStringLiteral("(2)"), {240, 5700, 360, 330})->setFont(stepFont);
    caption(page(), "Label23", QStringLiteral("照射条件"), {600, 5700, 1200, 330})
        ->setFont(stepFont);
    caption(page(), "Label24", QStringLiteral("( X-ray spectrum by Tucker's formula )"),
            {1920, 5700, 4560, 330});
    const struct {
        const char* name;
        const char* text;
        int top;
    } rows[] = {{"Label25", "Ｘ線管電圧", 6045},
                {"Label26", "ターゲット角度", 6525},
                {"Label27", "固有ろ過（Al 当量）", 7005},
                {"Label28", "アルミ付加フィルタ", 7485},
                {"Label29", "銅付加フィルタ", 7965}};
    for (const auto& row : rows) {
        caption(page(), row.name, QString::fromUtf8(row.text), {3960, row.top, 2520, 330})
            ->setAlignment(Qt::AlignRight | Qt::AlignTop);
    }
    caption(page(), "Label30", QStringLiteral("kV"), {7680, 6045, 1200, 330});
    caption(page(), "Label31", QStringLiteral("degree"), {7680, 6525, 1200, 330});
    caption(page(), "Label32", QStringLiteral("mmAL eq."), {7680, 7005, 1200, 330});
    caption(page(), "Label33", QStringLiteral("mm"), {7680, 7485, 1200, 330});
    caption(page(), "Label34", QStringLiteral("mm"), {7680, 7965, 1200, 330});

    // Reference data of the spectrum
    caption(page(), "Label35", QStringLiteral("参考データ（入力不要）"), {9720, 6000, 3120, 330});
    caption(page(), "Label36", QStringLiteral("HVL"), {9840, 6525, 800, 330});
    caption(page(), "Label37", QStringLiteral("mmAL"), {11640, 6525, 900, 330});
    caption(page(), "Label38", QStringLiteral("Eeff"), {9840, 7005, 800, 330});
    caption(page(), "Label39", QStringLiteral("keV"), {11640, 7005, 900, 330});
    caption(page(), "Label40", QStringLiteral("Fluence / 1.0 [C/kg]"), {9840, 7530, 3000, 330});
    // A superscript character, not rich text (the label cut its raised line off),
    // in a font small enough to end inside the label.
    fitTextToWidth(
        caption(page(), "Label41", QStringLiteral("Photons / mm²"), {11940, 7920, 1500, 400}));

    // Step (3): lead curtain
    caption(page(), "Label42", QStringLiteral("(3)"), {12960, 7590, 360, 300})->setFont(stepFont);
    caption(page(), "Label43", QStringLiteral("鉛カーテンの効果検証"), {13320, 7590, 3000, 300})
        ->setFont(stepFont);
    caption(page(), "Label44", QStringLiteral("鉛カーテン"), {13500, 7890, 1400, 330});
    caption(page(), "Label45", QStringLiteral("吊り下げ型"), {13500, 8220, 1400, 330});
    caption(page(), "Label46", QStringLiteral("鉛当量"), {14880, 7845, 840, 330});
    caption(page(), "Label47", QStringLiteral("mm"), {16755, 7845, 400, 330});
    caption(page(), "Label48", QStringLiteral("長さ (L)"), {14760, 8325, 960, 330});
    caption(page(), "Label49", QStringLiteral("cm"), {16755, 8325, 400, 330});
    caption(page(), "Label50", QStringLiteral("（上図参照）"), {17160, 8325, 1500, 330});

    caption(page(), "Label51", QStringLiteral("(4)"), {1080, 9180, 420, 330})->setFont(stepFont);
    caption(page(), "Label52", QStringLiteral("(5)"), {1080, 10020, 420, 330})->setFont(stepFont);
}

bool Form2::loadTables() {
    try {
        m_forms.state().materialTables = app::loadMaterialTables();
        return true;
    } catch (const std::exception& error) {
        showMessage(this,
                    QStringLiteral("材料データ（Tungsten.dat, Aluminum.atc, Copper.dat, Pb.dat）を"
                                   "読み込めません。\n") +
                        failureDetail(error),
                    MessageIcon::Critical);
        return false;
    }
}

void Form2::Form2_Load() {
    // A table that cannot be read is reported; step (4) tries again.
    loadTables();

    QStringList angles;
    for (int k = FIRST_SHOWN_POINT; k <= LAST_SHOWN_POINT; ++k) {
        angles << QString::number(pointAngleDeg(k));
    }
    m_forms.form1().setAngleChoices(angles, QStringLiteral("90"));
    m_forms.form5().setGlassesChoices({"0", "0.07", "0.83", "0.87", ""}, QStringLiteral("0"));

    namespace d = default_case;
    Text1->setText(QString::fromLatin1(d::TUBE_VOLTAGE_KV));
    Text5->setText(QString::fromLatin1(d::TARGET_ANGLE_DEG));
    Text2->setText(QString::fromLatin1(d::INHERENT_FILTRATION_MM_AL));
    Text3->setText(QString::fromLatin1(d::ADDED_ALUMINIUM_MM));
    Text4->setText(QString::fromLatin1(d::ADDED_COPPER_MM));
    Option7->setChecked(true);
    m_forms.state().rectificationMode = app::RectificationMode::ConstantPotential;
    Text9->clear();
    Text10->clear();
    Text11->clear();
    Text6->setText(QString::fromLatin1(d::THICKNESS_CM));
    Text7->setText(QString::fromLatin1(d::FSD_CM));
    Text13->setText(QString::fromLatin1(d::FIELD_LONG_CM));
    Text14->setText(QString::fromLatin1(d::FIELD_SHORT_CM));
    Text8->clear();
    Text12->setText(QString::fromLatin1(d::FORM_CURTAIN_LENGTH_CM));
    redrawGeometry();
}

void Form2::Option7_Click() {
    m_forms.state().rectificationMode = app::RectificationMode::ConstantPotential;
}

void Form2::Option8_Click() {
    m_forms.state().rectificationMode = app::RectificationMode::ThreePhase12Peak;
}

void Form2::Option9_Click() {
    m_forms.state().rectificationMode = app::RectificationMode::SinglePhaseFullWave;
}

void Form2::Command1_Click() { generateSpectrum(); }

void Form2::generateSpectrum() {
    ProgramState& state = m_forms.state();
    if (!state.materialTables && !loadTables()) return;

    const app::ConditionTexts texts{textOf(Text1), textOf(Text5), textOf(Text2), textOf(Text3),
                                    textOf(Text4)};
    app::SpectrumRun run;
    try {
        run = app::generateSpectrum(texts, state.rectificationMode, *state.materialTables);
    } catch (const std::exception& error) {
        // Rejected conditions or an unwritable B_SPCTL.dat: the previous spectrum stays.
        showMessage(this,
                    QStringLiteral("Ｘ線スペクトルを計算できません。\n") + failureDetail(error),
                    MessageIcon::Exclamation);
        return;
    }
    if (run.reading.correctedTubeVoltageText) {
        Text1->setText(QString::fromStdString(*run.reading.correctedTubeVoltageText));
    }
    if (run.reading.correctedInherentText) {
        Text2->setText(QString::fromStdString(*run.reading.correctedInherentText));
    }
    state.incidentSpectrum = run.spectrum.incidentSpectrum;
    state.spectrumPeak = run.spectrum.spectrumPeak;
    state.spectrumRectification = run.reading.conditions.rectification;

    // Results of an earlier spectrum must not be taken for this one's.
    QFile::remove(QString::fromLatin1(HVL_FILE));
    QCoreApplication::processEvents();
    const StartOutcome outcome =
        m_forms.processStarter().start({QStringLiteral("tavisen"), WindowStyle::Hidden, {}, {}});
    if (!outcome.started) {
        showMessage(
            this, QStringLiteral("HVL 計算プログラム tavisen を開始できません。\n") + outcome.error,
            MessageIcon::Critical);
    }
    m_forms.form6().drawIncidentSpectrum(state.incidentSpectrum, state.spectrumPeak);
}

void Form2::Command2_Click() { m_forms.form1().openResultBrowser(); }

app::RunFileTexts Form2::runConditions() const {
    app::RunFileTexts texts;
    texts.phantomThicknessCm = textOf(Text6);
    texts.focusSurfaceCm = textOf(Text7);
    texts.fieldLongCm = textOf(Text13);
    texts.fieldShortCm = textOf(Text14);
    texts.curtainLeadMm = textOf(Text8);
    texts.curtainLengthCm = textOf(Text12);
    return texts;
}

void Form2::showHvlResults(const app::HvlResults& results) {
    const auto formatted = [](double value, const char* picture) {
        return QString::fromStdString(app::formatPicture(value, picture));
    };
    Text9->setText(formatted(results.firstHvlMm, "0.000"));
    Text10->setText(formatted(results.firstEffectiveEnergyKev, "00.00"));
    Text11->setText(formatted(results.fluencePerExposure, "0.000E+00"));
    activateWindow();
    Text8->setFocus();
}

void Form2::Command3_Click() {
    switch (app::checkCurtain(textOf(Text8), textOf(Text12), textOf(Text7), textOf(Text6))) {
        case app::CurtainCheck::EntryMissing:
            showMessage(this, CURTAIN_MISSING, MessageIcon::Exclamation);
            return;
        case app::CurtainCheck::LengthTooLong:
            showMessage(this, CURTAIN_LENGTH_WRONG, MessageIcon::Exclamation);
            return;
        case app::CurtainCheck::Accepted:
            break;
    }
    m_forms.form12().openLaunchDialog();
}

void Form2::Command4_Click() {
    // Work files of this session; one that is missing or locked is skipped.
    for (const char* name : {RUN_FILE, HVL_FILE, SPECTRUM_FILE, LAUNCH_SCENE_FILE}) {
        QFile::remove(QString::fromLatin1(name));
    }
    m_forms.endProgram();
}

void Form2::unload() { m_forms.endProgram(); }

GeometrySketch Form2::geometrySketch() const {
    // Typing passes through texts like "1e999"; the sketch takes finite values only.
    const auto valueOf = [](const QLineEdit* box) {
        const double value = app::textValue(textOf(box));
        return std::isfinite(value) ? value : 0.0;
    };
    GeometrySketch sketch;
    sketch.phantomThicknessCm = valueOf(Text6);
    sketch.focusSurfaceCm = valueOf(Text7);
    sketch.fieldShortCm = valueOf(Text14);
    sketch.curtainLengthCm = valueOf(Text12);
    sketch.curtainEntered = !Text8->text().isEmpty();
    sketch.scene = m_forms.state().scene;
    return sketch;
}

void Form2::redrawGeometry() { drawGeometrySketch(*Picture3, geometrySketch()); }

}  // namespace korvana::forms

namespace korvana::forms {

MainFormEntries Form2::entries() const {
    return {Text6->text(), Text7->text(), Text13->text(), Text14->text(),
            Text1->text(), Text5->text(), Text2->text(),  Text3->text(),
            Text4->text(), Text8->text(), Text12->text(), m_forms.state().rectificationMode};
}

void Form2::setEntries(const MainFormEntries& e) {
    const std::pair<QLineEdit*, const QString*> boxes[] = {
        {Text6, &e.thicknessCm},   {Text7, &e.fsdCm},           {Text13, &e.fieldLongCm},
        {Text14, &e.fieldShortCm}, {Text1, &e.tubeVoltageKv},   {Text5, &e.targetAngleDeg},
        {Text2, &e.inherentMmAl},  {Text3, &e.aluminiumMm},     {Text4, &e.copperMm},
        {Text8, &e.curtainLeadMm}, {Text12, &e.curtainLengthCm}};
    for (const auto& [box, text] : boxes) box->setText(*text);
    switch (e.rectification) {
        case app::RectificationMode::ConstantPotential:
            Option7->setChecked(true);
            Option7_Click();
            break;
        case app::RectificationMode::ThreePhase12Peak:
            Option8->setChecked(true);
            Option8_Click();
            break;
        case app::RectificationMode::SinglePhaseFullWave:
            Option9->setChecked(true);
            Option9_Click();
            break;
    }
}

}  // namespace korvana::forms
