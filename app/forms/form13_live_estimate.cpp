#include "app/forms/form13_live_estimate.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/forms/annual_dose_panel.h"
#include "app/forms/form15_room_layout.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/forms/live_plot.h"
#include "app/forms/output_fault_text.h"
#include "app/forms/rectification_caption.h"
#include "app/forms/scene_drawing.h"
#include "app/forms/scene_texts.h"
#include "app/results/annual_eye_lens_dose.h"
#include "app/results/eye_points.h"
#include "app/results/kerma_uncertainty.h"
#include "app/run/run_file.h"
#include "app/widgets/controls.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"
#include "common/curtain_rule.h"
#include "common/output_files.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana::forms {

namespace {

constexpr int ROW_TWIPS = 420;
constexpr int SHOWN_ANGLES = app::LAST_SHOWN_ANGLE - app::FIRST_SHOWN_ANGLE + 1;
constexpr int ANGLE_90 = 5;  //!< angle index of 90 degrees, where the comparison is told

QString qText(const std::string& text) { return QString::fromStdString(text); }

QDoubleSpinBox* addSpinBox(QWidget* parent, const char* name, TwipRect where, double lowest,
                           double highest, int decimals, double step) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(where.toPixels());
    box->setRange(lowest, highest);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setKeyboardTracking(true);
    return box;
}

QSlider* addSlider(QWidget* parent, const char* name, TwipRect where, int lowest, int highest) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setGeometry(where.toPixels());
    slider->setRange(lowest, highest);
    return slider;
}

TwipRect labelAt(int row) { return {120, 150 + row * ROW_TWIPS, 2520, 330}; }
TwipRect spinAt(int row) { return {2640, 120 + row * ROW_TWIPS, 1140, 360}; }
TwipRect sliderAt(int row) { return {3840, 120 + row * ROW_TWIPS, 1620, 360}; }
//! The room's entries, under the kerma plot.
constexpr int ROOM_TOP = 4260;
TwipRect roomLabelAt(int row) { return {5640, ROOM_TOP + 30 + row * ROW_TWIPS, 3600, 330}; }
TwipRect roomSpinAt(int row) { return {9300, ROOM_TOP + row * ROW_TWIPS, 1140, 360}; }
TwipRect roomSliderAt(int row) { return {10500, ROOM_TOP + row * ROW_TWIPS, 3420, 360}; }

//! A slider of `scale` steps per unit of its spin box, each following the other.
void pair(QDoubleSpinBox* box, QSlider* slider, double scale) {
    QObject::connect(slider, &QSlider::valueChanged, box, [box, scale](int value) {
        if (std::lround(box->value() * scale) != value) box->setValue(value / scale);
    });
    QObject::connect(box, &QDoubleSpinBox::valueChanged, slider, [slider, scale](double value) {
        const QSignalBlocker quiet(slider);
        slider->setValue(static_cast<int>(std::lround(value * scale)));
    });
}

//! "2.1×10⁵", "1.23×10⁻⁴": `decimals` in the mantissa.
QString powerOfTenText(double value, int decimals) {
    const int exponent = static_cast<int>(std::floor(std::log10(value)));
    double mantissa = value / std::pow(10.0, exponent);
    static const char16_t* superscripts[] = {u"⁰", u"¹", u"²", u"³", u"⁴",
                                             u"⁵", u"⁶", u"⁷", u"⁸", u"⁹"};
    QString power;
    for (const QChar digit : QString::number(exponent)) {
        power += digit == QLatin1Char('-') ? QStringLiteral("⁻")
                                           : QString::fromUtf16(superscripts[digit.digitValue()]);
    }
    return QString::number(mantissa, 'f', decimals) + QStringLiteral("×10") + power;
}

QString photonsText(double count) {
    if (!(count > 0)) return QStringLiteral("0");
    return powerOfTenText(count, 1);
}

//! A ratio of two kermas with three significant figures, "0.0123 倍", so a
//! curtain that lets through a thousandth never reads as nothing.
QString ratioText(double ratio) {
    if (!(ratio > 0) || !std::isfinite(ratio)) {
        return QString::number(ratio) + QStringLiteral(" 倍");
    }
    constexpr int SIGNIFICANT = 3;
    const int magnitude = static_cast<int>(std::floor(std::log10(ratio)));
    if (magnitude < -3) return powerOfTenText(ratio, SIGNIFICANT - 1) + QStringLiteral(" 倍");
    return QString::number(ratio, 'f', std::max(0, SIGNIFICANT - 1 - magnitude)) +
           QStringLiteral(" 倍");
}

QString errorText(double percent) {
    if (!std::isfinite(percent)) return QStringLiteral("±? %");
    return QStringLiteral("±") + QString::number(percent, 'f', percent < 10 ? 1 : 0) +
           QStringLiteral(" %");
}

QString doseText(const std::optional<double>& dose) { return qText(app::eyeLensDoseText(dose)); }

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

//! Every entry that differs between two states, as "鉛当量 0.35 mm → 0.5 mm、管電圧 ...".
QString changeText(const app::LiveInputs& from, const app::LiveInputs& to) {
    const struct {
        const char* name;
        double app::LiveInputs::*value;
        const char* unit;
    } entries[] = {{"カーテン鉛当量", &app::LiveInputs::curtainLeadMm, "mm"},
                   {"カーテン長さ", &app::LiveInputs::curtainLengthCm, "cm"},
                   {"管電圧", &app::LiveInputs::tubeVoltageKv, "kV"},
                   {"被照射体の厚さ", &app::LiveInputs::phantomThicknessCm, "cm"},
                   {"眼鏡の鉛当量", &app::LiveInputs::glassesMm, "mm"},
                   {"FSD", &app::LiveInputs::focusSurfaceCm, "cm"},
                   {"照射野 長軸", &app::LiveInputs::fieldLongCm, "cm"},
                   {"照射野 短軸", &app::LiveInputs::fieldShortCm, "cm"},
                   {"ターゲット角度", &app::LiveInputs::targetAngleDeg, "度"},
                   {"固有ろ過", &app::LiveInputs::inherentFiltrationMmAl, "mm"},
                   {"Al 付加", &app::LiveInputs::addedAluminiumMm, "mm"},
                   {"Cu 付加", &app::LiveInputs::addedCopperMm, "mm"}};
    QStringList changes;
    for (const auto& entry : entries) {
        const double a = from.*entry.value;
        const double b = to.*entry.value;
        if (a == b) continue;
        const QString unit = QString::fromUtf8(entry.unit);
        changes << QString::fromUtf8(entry.name) + QStringLiteral(" ") +
                       qText(app::liveNumberText(a)) + QStringLiteral(" ") + unit +
                       QStringLiteral(" → ") + qText(app::liveNumberText(b)) + QStringLiteral(" ") +
                       unit;
    }
    if (from.rectification != to.rectification) {
        changes << QStringLiteral("整流方式 ") + rectificationCaption(from.rectification) +
                       QStringLiteral(" → ") + rectificationCaption(to.rectification);
    }
    if (from.scene != to.scene) {
        // The entries' own moves by name; any other change of the room as a whole.
        SceneDescription rest = from.scene;
        const struct {
            const char* name;
            bool shield;
            std::size_t axis;
        } moved[] = {{"遮へい板 x", true, 0}, {"遮へい板 z", true, 2}, {"目 z", false, 2}};
        for (const auto& m : moved) {
            const bool both = m.shield
                                  ? !from.scene.shields.empty() && !to.scene.shields.empty()
                                  : !from.scene.eyePoints.empty() && !to.scene.eyePoints.empty();
            if (!both) continue;
            double& a =
                m.shield ? rest.shields[0].centreCm[m.axis] : rest.eyePoints[0].positionCm[m.axis];
            const double b = m.shield ? to.scene.shields[0].centreCm[m.axis]
                                      : to.scene.eyePoints[0].positionCm[m.axis];
            if (a == b) continue;
            changes << QString::fromUtf8(m.name) + QStringLiteral(" ") +
                           qText(app::liveNumberText(a)) + QStringLiteral(" cm → ") +
                           qText(app::liveNumberText(b)) + QStringLiteral(" cm");
            a = b;
        }
        if (rest != to.scene) changes << QStringLiteral("部屋の配置");
    }
    if (changes.isEmpty()) return QStringLiteral("同じ条件");
    return changes.join(QStringLiteral("、"));
}

}  // namespace

Form13::Form13(Forms& forms)
    : Form("Form13", QStringLiteral("即時見積もり"), 18600, 9840),
      Text1(addSpinBox(page(), "Text1", spinAt(0), 1, 100, 1, 1)),
      Text2(addSpinBox(page(), "Text2", spinAt(1), 20, 300, 1, 5)),
      Text3(addSpinBox(page(), "Text3", spinAt(2), 1, 100, 1, 1)),
      Text4(addSpinBox(page(), "Text4", spinAt(3), 1, 100, 1, 1)),
      Text5(addSpinBox(page(), "Text5", spinAt(4), 30, 149.5, 1, 1)),
      Text6(addSpinBox(page(), "Text6", spinAt(5), 1, 89, 1, 1)),
      Text7(addSpinBox(page(), "Text7", spinAt(6), 1, 10, 2, 0.1)),
      Text8(addSpinBox(page(), "Text8", spinAt(7), 0, 20, 2, 0.5)),
      Text9(addSpinBox(page(), "Text9", spinAt(8), 0, 2, 2, 0.05)),
      Text10(addSpinBox(page(), "Text10", spinAt(10), 0, 1, 2, 0.05)),
      Text11(addSpinBox(page(), "Text11", spinAt(11), -99.9, 999.9, 1, 5)),
      Text12(addSpinBox(page(), "Text12", spinAt(12), 0, 2, 2, 0.01)),
      Text15(addSpinBox(page(), "Text15", roomSpinAt(0), -SCENE_REACH_CM, SCENE_REACH_CM, 1, 5)),
      Text16(addSpinBox(page(), "Text16", roomSpinAt(1), -SCENE_REACH_CM, SCENE_REACH_CM, 1, 5)),
      Text17(addSpinBox(page(), "Text17", roomSpinAt(2), -SCENE_REACH_CM, SCENE_REACH_CM, 1, 5)),
      Combo3(addComboBox(page(), "Combo3", {2640, 120 + 9 * ROW_TWIPS, 2820, 360})),
      Combo1(addComboBox(page(), "Combo1", {2640, 120 + 13 * ROW_TWIPS, 1140, 360})),
      HScroll1(addSlider(page(), "HScroll1", sliderAt(10), 0, 100)),
      HScroll2(addSlider(page(), "HScroll2", sliderAt(11), 0, 80)),
      HScroll3(addSlider(page(), "HScroll3", sliderAt(4), 40, 149)),
      HScroll4(addSlider(page(), "HScroll4", sliderAt(0), 5, 40)),
      HScroll5(addSlider(page(), "HScroll5", sliderAt(12), 0, 100)),
      HScroll6(addSlider(page(), "HScroll6", roomSliderAt(0), 16, 200)),
      HScroll7(addSlider(page(), "HScroll7", roomSliderAt(1), -200, 100)),
      HScroll8(addSlider(page(), "HScroll8", roomSliderAt(2), -200, 100)),
      Frame1(addFrame(page(), "Frame1", QStringLiteral("作業量（年間水晶体線量）"),
                      {120, 6060, 5340, 1980})),
      Option1(addOptionButton(Frame1, "Option1", QStringLiteral("P_KA (Gy·cm²)"),
                              {120, 300, 2400, 330})),
      Option2(addOptionButton(Frame1, "Option2", QStringLiteral("入射表面空気カーマ (mGy)"),
                              {2520, 300, 2760, 330})),
      Text13(addTextBox(Frame1, "Text13", {1680, 740, 1320, 360})),
      Text14(addTextBox(Frame1, "Text14", {1680, 1220, 1320, 360})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("比較用に固定"),
                                {120, 8160, 2640, 480})),
      Command2(addCommandButton(page(), "Command2", QStringLiteral("固定を解除"),
                                {2820, 8160, 2640, 480})),
      Command3(addCommandButton(page(), "Command3", QStringLiteral("結果として保存…"),
                                {120, 8700, 2640, 480})),
      Command4(addCommandButton(page(), "Command4", QStringLiteral("主画面に反映"),
                                {2820, 8700, 2640, 480},
                                QStringLiteral(" この条件を主画面の入力欄へ書き戻す "))),
      Command5(
          addCommandButton(page(), "Command5", QStringLiteral("閉じる"), {2820, 9240, 2640, 480})),
      Picture1(addPictureBox(page(), "Picture1", {5640, 120, 8280, ROOM_TOP - 180})),
      Picture2(addPictureBox(page(), "Picture2", {14040, 120, 4440, 4200})),
      Grid1(new QTableWidget(SHOWN_ANGLES, 8, page())),
      Label1(addLabel(page(), "Label1", {}, {14040, 4360, 4440, 330})),
      Label2(addLabel(page(), "Label2", {}, {14040, 4690, 4440, 1050})),
      Label3(addLabel(page(), "Label3", {}, {5640, 9300, 12840, 360})),
      Label21(addLabel(page(), "Label21", {}, roomLabelAt(0))),
      Label22(addLabel(page(), "Label22", {}, roomLabelAt(1))),
      Label23(addLabel(page(), "Label23", {}, roomLabelAt(2))),
      m_forms(forms) {
    const struct {
        const char* name;
        const char* text;
        int row;
    } captions[] = {{"Label4", "被照射体の厚さ (cm)", 0},
                    {"Label5", "焦点-入射表面間距離 (cm)", 1},
                    {"Label6", "照射野 長軸 (cm)", 2},
                    {"Label7", "照射野 短軸 (cm)", 3},
                    {"Label8", "Ｘ線管電圧 (kV)", 4},
                    {"Label9", "ターゲット角度 (度)", 5},
                    {"Label10", "固有ろ過 (mm Al 当量)", 6},
                    {"Label11", "アルミ付加フィルタ (mm)", 7},
                    {"Label12", "銅付加フィルタ (mm)", 8},
                    {"Label13", "整流方式", 9},
                    {"Label14", "鉛カーテン 鉛当量 (mm Pb)", 10},
                    {"Label15", "カーテン長さ L (cm)", 11},
                    {"Label16", "防護眼鏡 鉛当量 (mm Pb)", 12},
                    {"Label17", "目標精度 (9 点すべて)", 13}};
    for (const auto& c : captions)
        addLabel(page(), c.name, QString::fromUtf8(c.text), labelAt(c.row));

    Combo3->setEditable(false);
    Combo3->addItems(
        {QStringLiteral("定電圧"), QStringLiteral("三相12ピーク"), QStringLiteral("単相全波")});
    Combo1->setEditable(false);
    for (const double percent : app::LIVE_PRECISIONS_PERCENT) {
        Combo1->addItem(QStringLiteral("±") + QString::number(percent) + QStringLiteral(" %"));
    }
    Combo1->setCurrentIndex(2);  // 1 %

    // The workload of the annual dose, as in the eye lens window's panel.
    addLabel(Frame1, "Label18", QStringLiteral("1 件あたり"), {120, 780, 1500, 330});
    addLabel(Frame1, "Label19", QStringLiteral("件数 (件/年)"), {120, 1260, 1500, 330});
    addLabel(Frame1, "Label20", QStringLiteral("上限 20 mSv/年"), {3120, 1260, 2100, 330});
    Option1->setChecked(true);

    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setGeometry(TwipRect{5640, 5760, 12840, 3420}.toPixels());
    // Two-line headers: in one line the dose columns' titles are cut at a
    // laptop's width.
    Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("散乱角"), QStringLiteral("空気カーマ比\n(Gy/Gy)"), QStringLiteral("±"),
         QStringLiteral("水晶体線量\n眼鏡なし (Gy/Gy)"),
         QStringLiteral("水晶体線量\n眼鏡あり (Gy/Gy)"), QStringLiteral("年間 眼鏡なし\n(mSv)"),
         QStringLiteral("年間 眼鏡あり\n(mSv)"), QStringLiteral("固定との比")});
    Grid1->verticalHeader()->hide();
    Grid1->verticalHeader()->setDefaultSectionSize(twipsToPixels(330));
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Grid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Grid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < SHOWN_ANGLES; ++row) {
        Grid1->setItem(row, 0, cell(QString::number(45 + 15 * row) + QStringLiteral("°")));
    }
    Label3->setStyleSheet(QStringLiteral("font-weight: bold;"));
    // Every changed entry and the ratio at 90 degrees: up to four lines.
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    pair(Text10, HScroll1, 100);
    pair(Text11, HScroll2, 1);
    pair(Text5, HScroll3, 1);
    pair(Text1, HScroll4, 1);
    pair(Text12, HScroll5, 100);
    pair(Text15, HScroll6, 1);
    pair(Text16, HScroll7, 1);
    pair(Text17, HScroll8, 1);

    m_debounce.setSingleShot(true);
    m_debounce.setInterval(DEBOUNCE_MS);
    connect(&m_debounce, &QTimer::timeout, this, [this] { startEstimate(); });
    for (QDoubleSpinBox* box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9,
                                Text10, Text11, Text12, Text15, Text16, Text17}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { inputChanged(); });
    }
    connect(Combo3, &QComboBox::currentIndexChanged, this, [this] { inputChanged(); });
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { inputChanged(); });
    for (QLineEdit* box : {Text13, Text14}) {
        connect(box, &QLineEdit::textChanged, this, [this] { fillTable(); });
    }
    connect(Option1, &QRadioButton::toggled, this, [this] { fillTable(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    setClosedByEscape();  // as "閉じる": the estimate under way stops

    addExportMenu(Picture1, drawingExport(Picture1, QStringLiteral("live_estimate"),
                                          {{SAVE_CSV_CAPTION,
                                            [] { return QStringLiteral("live_estimate.csv"); },
                                            [this] { return csvLines(); }}}));
    addExportMenu(Picture2, drawingExport(Picture2, QStringLiteral("live_scene")));

    m_worker = std::make_unique<app::LiveWorker>(
        [this](std::uint64_t request, const app::LiveUpdate& update) {
            // On the worker thread: hand the update to the window's thread.
            QMetaObject::invokeMethod(
                this, [this, request, update] { receive(request, update); }, Qt::QueuedConnection);
        });
    setInputs(app::defaultLiveInputs());
    redrawPlot();
}

Form13::~Form13() {
    // The worker's thread posts to this window: it ends first.
    m_worker.reset();
}

int Form13::cancelledEstimates() const { return m_worker->cancelledCount(); }

void Form13::openLiveEstimate() {
    if (!m_tables) {
        try {
            m_tables = app::sharedLiveTables();
        } catch (const std::exception& error) {
            showMessage(this,
                        QStringLiteral("即時見積もりに必要なデータファイルを読み込めません。\n") +
                            failureDetail(error),
                        MessageIcon::Critical);
            return;
        }
    }
    setInputs(liveInputsFromMainForm(m_forms));
    showModelessOver(&m_forms.form2());
    startEstimate();
}

app::LiveInputs Form13::inputs() const {
    app::LiveInputs in;
    in.phantomThicknessCm = Text1->value();
    in.focusSurfaceCm = Text2->value();
    in.fieldLongCm = Text3->value();
    in.fieldShortCm = Text4->value();
    in.tubeVoltageKv = Text5->value();
    in.targetAngleDeg = Text6->value();
    in.inherentFiltrationMmAl = Text7->value();
    in.addedAluminiumMm = Text8->value();
    in.addedCopperMm = Text9->value();
    in.rectification = app::rectificationFromNumber(Combo3->currentIndex() + 1)
                           .value_or(app::RectificationMode::ConstantPotential);
    in.curtainLeadMm = Text10->value();
    in.curtainLengthCm = Text11->value();
    in.glassesMm = Text12->value();
    in.scene = m_scene;
    if (!in.scene.shields.empty()) {
        in.scene.shields[0].centreCm[0] = Text15->value();
        in.scene.shields[0].centreCm[2] = Text16->value();
    }
    if (!in.scene.eyePoints.empty()) in.scene.eyePoints[0].positionCm[2] = Text17->value();
    return in;
}

void Form13::setInputs(const app::LiveInputs& in) {
    m_settingInputs = true;
    Text1->setValue(in.phantomThicknessCm);
    Text2->setValue(in.focusSurfaceCm);
    Text3->setValue(in.fieldLongCm);
    Text4->setValue(in.fieldShortCm);
    Text5->setValue(in.tubeVoltageKv);
    Text6->setValue(in.targetAngleDeg);
    Text7->setValue(in.inherentFiltrationMmAl);
    Text8->setValue(in.addedAluminiumMm);
    Text9->setValue(in.addedCopperMm);
    Combo3->setCurrentIndex(static_cast<int>(in.rectification) - 1);
    Text10->setValue(in.curtainLeadMm);
    limitCurtainLength();
    Text11->setValue(in.curtainLengthCm);
    Text12->setValue(in.glassesMm);
    m_scene = in.scene;
    showRoomEntries();
    m_settingInputs = false;
    redrawScene();
}

void Form13::sceneChanged() {
    if (!isVisible()) return;
    m_settingInputs = true;
    m_scene = m_forms.state().scene;
    showRoomEntries();
    m_settingInputs = false;
    inputChanged();
}

void Form13::limitCurtainLength() {
    const double longest = longestCurtainCm(Text2->value(), Text1->value());
    Text11->setMaximum(std::floor(longest * 10) / 10);
    HScroll2->setMaximum(static_cast<int>(std::floor(longest)));
}

void Form13::showRoomEntries() {
    const bool shield = !m_scene.shields.empty();
    const bool eye = !m_scene.eyePoints.empty();
    const QString shieldName =
        shield ? QString::fromStdString(m_scene.shields[0].name) : QStringLiteral("遮へい板");
    Label21->setText(QStringLiteral("「%1」の中心 x (cm)").arg(shieldName));
    Label22->setText(QStringLiteral("「%1」の中心 z (cm)").arg(shieldName));
    Label23->setText(eye ? QStringLiteral("目「%1」の z (cm)")
                               .arg(QString::fromStdString(m_scene.eyePoints[0].name))
                         : QStringLiteral("目の位置 z (cm)"));
    if (shield) {
        Text15->setValue(m_scene.shields[0].centreCm[0]);
        Text16->setValue(m_scene.shields[0].centreCm[2]);
    }
    if (eye) Text17->setValue(m_scene.eyePoints[0].positionCm[2]);
    for (QWidget* entry : std::initializer_list<QWidget*>{Text15, Text16, HScroll6, HScroll7}) {
        entry->setEnabled(shield);
    }
    Text17->setEnabled(eye);
    HScroll8->setEnabled(eye);
    const QString none = QStringLiteral(" 「部屋の配置…」（主画面）で追加できます ");
    for (QWidget* entry : std::initializer_list<QWidget*>{Label21, Label22, Text15, Text16}) {
        entry->setToolTip(shield ? QString() : none);
    }
    Label23->setToolTip(eye ? QString() : none);
    if (auto* precision = findChild<QLabel*>(QStringLiteral("Label17"))) {
        precision->setText(eye ? QStringLiteral("目標精度 (9 点と目の位置)")
                               : QStringLiteral("目標精度 (9 点すべて)"));
    }
    Grid1->setRowCount(SHOWN_ANGLES + static_cast<int>(m_scene.eyePoints.size()));
    for (std::size_t i = 0; i < m_scene.eyePoints.size(); ++i) {
        Grid1->setItem(
            SHOWN_ANGLES + static_cast<int>(i), 0,
            cell(QStringLiteral("目 ") + QString::fromStdString(m_scene.eyePoints[i].name)));
    }
}

void Form13::inputChanged() {
    if (m_settingInputs) return;
    limitCurtainLength();
    redrawScene();
    // The estimate under way belongs to the old inputs: its cores are free
    // at once, and the new one starts when the entries rest.
    m_worker->stop();
    m_running = false;
    m_waitingForRest = true;
    Label3->setText(QStringLiteral("入力が変わりました… 再計算を待っています"));
    m_debounce.start();
}

void Form13::startEstimate() {
    m_debounce.stop();
    if (!m_tables) return;
    app::LiveSettings settings;
    settings.targetPercent =
        app::LIVE_PRECISIONS_PERCENT[static_cast<std::size_t>(std::max(0, Combo1->currentIndex()))];
    m_pendingInputs = inputs();
    const std::vector<SceneFault> faults =
        roomFaults(m_pendingInputs.scene, m_pendingInputs.phantomThicknessCm);
    if (!faults.empty()) {
        m_running = false;
        Label3->setText(QStringLiteral("部屋の配置を確かめて下さい: ") +
                        sceneFaultPlaceText(faults.front()) + QStringLiteral(" ") +
                        sceneFaultText(faults.front()));
        return;
    }
    m_request = m_worker->start(m_tables, m_pendingInputs, settings);
    m_waitingForRest = false;
    m_running = true;
    Label3->setText(QStringLiteral("計算中…"));
}

void Form13::receive(std::uint64_t request, const app::LiveUpdate& update) {
    // An estimate of inputs since changed: its last rounds and its cancel
    // would tell a finished state ("上限に到達") it never reached.
    if (request != m_request || m_waitingForRest) return;
    if (!update.failure.empty()) {
        m_running = false;
        m_round.reset();
        m_roundRequest = 0;
        Label3->setText(QStringLiteral("この条件では計算できません: ") + qText(update.failure));
        fillTable();
        redrawPlot();
        return;
    }
    if (update.beam) {
        m_beam = update.beam;
        showBeam();
    }
    if (update.round) {
        m_round = update.round;
        m_roundRequest = request;
        m_roundInputs = m_pendingInputs;
        showRound();
    }
    if (update.finished) {
        m_running = false;
        if (m_round) showRound();
    }
}

void Form13::showBeam() {
    if (!m_beam) return;
    if (m_beam->hvl) {
        Label1->setText(
            QStringLiteral("HVL₁ ") + QString::number(10 * m_beam->hvl->firstHvlCm, 'f', 2) +
            QStringLiteral(" mm Al、実効エネルギー ") +
            QString::number(m_beam->hvl->firstEffectiveEnergyKev, 'f', 1) + QStringLiteral(" keV"));
    } else {
        Label1->setText(QStringLiteral("HVL₁ は求められません（3 mm Al を超える線質）"));
    }
}

void Form13::showYear(int row, int column, const app::AnnualDose& dose) {
    Grid1->setItem(row, column, cell(qText(app::formatPicture(dose.annualMsv, "0.00"))));
    const app::Rgb colour = verdictColour(dose.verdict);
    Grid1->item(row, column)->setBackground(QColor(colour.red, colour.green, colour.blue));
}

void Form13::showRound() {
    fillTable();
    redrawPlot();
    showComparison();
    const app::LiveRound& r = *m_round;
    QString state;
    if (m_running) {
        state = QStringLiteral("計算中…");
    } else if (r.reached) {
        state = QStringLiteral("目標精度に到達");
    } else {
        state = QStringLiteral("光子数の上限に到達");
    }
    Label3->setText(errorText(r.worstPercent) + QStringLiteral("、") +
                    photonsText(static_cast<double>(r.histories)) + QStringLiteral(" 光子、") +
                    QString::number(r.seconds, 'f', r.seconds < 10 ? 2 : 1) +
                    QStringLiteral(" 秒　") + state);
}

void Form13::fillTable() {
    for (int row = 0; row < Grid1->rowCount(); ++row) {
        for (int column = 1; column < Grid1->columnCount(); ++column) {
            Grid1->setItem(row, column, cell(QStringLiteral("-")));
        }
    }
    if (!m_round) return;
    const app::ResultSet& set = m_round->result;
    std::optional<app::AnnualEyeLensDose> year;
    app::Workload workload;
    workload.measure = Option1->isChecked() ? app::WorkloadMeasure::KermaAreaProduct
                                            : app::WorkloadMeasure::EntranceKerma;
    const auto value = app::workloadValue(Text13->text().toStdString());
    const auto procedures = app::procedureCount(Text14->text().toStdString());
    QString workloadFault;  // a workload out of bounds, worded in its cells
    if (value && procedures && m_tables) {
        workload.perProcedure = *value;
        workload.proceduresPerYear = *procedures;
        if (const auto fault = app::checkWorkload(workload, set.conditions)) {
            workloadFault = workloadFaultText(*fault);
        }
        try {
            year = app::computeAnnualEyeLensDose(set, m_tables->eye, workload,
                                                 m_roundInputs.glassesMm, 0);
        } catch (const std::exception&) {
            year.reset();  // a workload the core refuses leaves the columns empty
        }
    }
    for (int row = 0; row < SHOWN_ANGLES; ++row) {
        const int k = app::FIRST_SHOWN_ANGLE + row;
        Grid1->setItem(row, 1,
                       cell(qText(app::formatPicture(set.pointKermaRatio[k], "0.000E+00"))));
        const auto error = app::pointRelativeErrorPercent(set, k);
        Grid1->setItem(row, 2, cell(error ? errorText(*error) : QStringLiteral("-")));
        Grid1->setItem(row, 3, cell(doseText(m_round->bare.eyeLensDose[k])));
        Grid1->setItem(row, 4, cell(doseText(m_round->glasses.eyeLensDose[k])));
        if (year && static_cast<std::size_t>(row) < year->points.size()) {
            const app::AnnualDosePoint& point = year->points[static_cast<std::size_t>(row)];
            int column = 5;
            for (const auto& dose : {point.bare, point.glasses}) {
                if (dose) showYear(row, column, *dose);
                ++column;
            }
        }
        if (!workloadFault.isEmpty()) {
            for (const int column : {5, 6}) {
                Grid1->setItem(row, column, cell(QStringLiteral("範囲外")));
                Grid1->item(row, column)->setToolTip(workloadFault);
            }
        }
        if (m_pin && m_pin->round->result.pointKermaRatio[k] > 0) {
            const double ratio = set.pointKermaRatio[k] / m_pin->round->result.pointKermaRatio[k];
            Grid1->setItem(row, 7, cell(ratioText(ratio)));
        }
    }
    // The eye points' rows, once the round carries their kermas: the doses
    // as the eye lens window gives them (app/results/eye_points.h).
    if (!app::hasEyePoints(set) || !m_tables) return;
    std::optional<app::Workload> eyeWorkload;
    if (year && workloadFault.isEmpty()) eyeWorkload = workload;
    app::EyePointDoses doses;
    try {
        doses =
            app::computeEyePointDoses(set, m_tables->eye, m_roundInputs.glassesMm, 0, eyeWorkload);
    } catch (const std::exception&) {
        return;  // as for the angles: what the core refuses stays "-"
    }
    const app::ResultSet* pinned = m_pin ? &m_pin->round->result : nullptr;
    for (std::size_t i = 0; i < doses.points.size(); ++i) {
        const int row = SHOWN_ANGLES + static_cast<int>(i);
        if (row >= Grid1->rowCount()) break;
        const app::EyePointDose& eye = doses.points[i];
        Grid1->setItem(row, 1,
                       cell(qText(app::formatPicture(eye.point.airKermaRatio, "0.000E+00"))));
        Grid1->setItem(row, 2,
                       cell(eye.point.relErrPercent ? errorText(*eye.point.relErrPercent)
                                                    : QStringLiteral("-")));
        Grid1->setItem(row, 3, cell(doseText(eye.bareDose)));
        Grid1->setItem(row, 4, cell(doseText(eye.glassesDose)));
        int column = 5;
        for (const auto& dose : {eye.bareYear, eye.glassesYear}) {
            if (dose) {
                showYear(row, column, *dose);
            } else if (!workloadFault.isEmpty()) {
                Grid1->setItem(row, column, cell(QStringLiteral("範囲外")));
                Grid1->item(row, column)->setToolTip(workloadFault);
            }
            ++column;
        }
        if (pinned && app::hasEyePoints(*pinned) && i < pinned->eyePoints->points.size() &&
            pinned->eyePoints->points[i].airKermaRatio > 0) {
            Grid1->setItem(row, 7,
                           cell(ratioText(eye.point.airKermaRatio /
                                          pinned->eyePoints->points[i].airKermaRatio)));
        }
    }
}

void Form13::redrawPlot() {
    std::optional<KermaCurve> current;
    std::optional<KermaCurve> pinned;
    if (m_round) current = kermaCurveOf(m_round->result);
    if (m_pin) pinned = kermaCurveOf(m_pin->round->result);
    drawKermaPlot(*Picture1, current ? &*current : nullptr, pinned ? &*pinned : nullptr);
}

void Form13::redrawScene() {
    GeometrySketch sketch;
    sketch.phantomThicknessCm = Text1->value();
    sketch.focusSurfaceCm = Text2->value();
    sketch.fieldShortCm = Text4->value();
    sketch.curtainLengthCm = Text11->value();
    sketch.curtainEntered = Text10->value() > 0;
    sketch.scene = inputs().scene;
    drawGeometrySketch(*Picture2, sketch);
}

void Form13::showComparison() {
    if (!m_pin || !m_round) {
        Label2->clear();
        return;
    }
    const double before = m_pin->round->result.pointKermaRatio[ANGLE_90];
    const double after = m_round->result.pointKermaRatio[ANGLE_90];
    QString text = changeText(m_pin->inputs, m_roundInputs);
    if (before > 0) {
        text += QStringLiteral(": 90° で ") + ratioText(after / before);
    }
    Label2->setText(text);
    Label2->setToolTip(text);
}

void Form13::Command1_Click() {
    if (!m_round) return;
    m_pin = Pin{m_roundInputs, m_round};
    fillTable();
    redrawPlot();
    showComparison();
}

void Form13::Command2_Click() {
    m_pin.reset();
    fillTable();
    redrawPlot();
    showComparison();
}

void Form13::Command3_Click() {
    if (!m_round) {
        showMessage(this, QStringLiteral("保存できる見積もりがまだありません。"),
                    MessageIcon::Exclamation);
        return;
    }
    const std::shared_ptr<const app::LiveRound> round = m_round;  // the round shown now
    QString name = askSaveName(this, QStringLiteral("結果として保存"), QStringLiteral("live.data"),
                               QStringLiteral("結果ファイル (*.data)"));
    if (name.isEmpty()) return;
    if (!name.endsWith(QStringLiteral(".data"))) name += QStringLiteral(".data");
    const QString stem = QFileInfo(name).fileName().chopped(5);
    if (app::resultNameFault(stem.toStdString(), QFileInfo(name).absolutePath().toStdString()) !=
        app::ResultNameFault::None) {
        showMessage(this, QStringLiteral("この名前では保存できません: ") + name,
                    MessageIcon::Exclamation);
        return;
    }
    // The room goes beside the result, so a viewer knows which room it was made in.
    const std::string resultFile = name.toStdString();
    const SceneDescription& room = m_roundInputs.scene;
    std::vector<OutputFile> outputs = resultOutputFiles(resultFile);
    std::vector<TextFileContent> contents;
    if (!sceneIsEmpty(room)) {
        outputs.push_back({sceneFileName(resultFile), FileKind::Scene});
        contents.push_back({sceneFileName(resultFile), sceneFileLines(room)});
    }
    if (app::hasEyePoints(round->result)) {
        outputs.push_back({pointsFileName(resultFile), FileKind::Points});
        contents.push_back({pointsFileName(resultFile), pointsFileLines(*round->result.eyePoints)});
    }
    if (const auto fault = checkOutputFiles(outputs)) {
        showMessage(this,
                    QStringLiteral("この名前では保存できません: ") + name + QStringLiteral("\n") +
                        outputFaultText(*fault),
                    MessageIcon::Exclamation);
        return;
    }
    try {
        contents.push_back({resultFile, round->resultLines});
        contents.push_back({uncertaintyFileName(resultFile), round->uncertaintyLines});
        writeTextFilesTogether(contents);
        // A room or eye points an earlier result of this name had are not this one's.
        for (const OutputFile& beside :
             {OutputFile{sceneFileName(resultFile), FileKind::Scene},
              OutputFile{pointsFileName(resultFile), FileKind::Points}}) {
            const bool written = std::any_of(
                contents.begin(), contents.end(),
                [&beside](const TextFileContent& c) { return c.fileName == beside.path; });
            if (!written && kindOfFile(beside.path) == beside.kind) {
                QFile::remove(QString::fromStdString(beside.path));
            }
        }
    } catch (const std::exception& error) {
        showMessage(this, QStringLiteral("結果を保存できません。\n") + failureDetail(error),
                    MessageIcon::Critical);
        return;
    }
    Label3->setText(QStringLiteral("「") + QFileInfo(name).fileName() +
                    QStringLiteral("」に保存しました（") + photonsText(round->historyCount) +
                    QStringLiteral(" 光子、next-event、seed %1）").arg(round->seed));
}

void Form13::Command4_Click() { copyLiveInputsToMainForm(m_forms, inputs()); }

void Form13::Command5_Click() {
    m_debounce.stop();
    m_worker->stop();
    m_running = false;
    m_waitingForRest = true;  // the stopped estimate's last word is not shown
    hide();
}

std::vector<std::string> Form13::csvLines() const {
    if (!m_round) return {};
    std::vector<std::string> lines = {
        "angle_deg,air_kerma_ratio,rel_error_percent,eye_lens_dose_bare,eye_lens_dose_glasses"};
    for (int k = 1; k <= POINT_COUNT; ++k) {
        const auto error = app::pointRelativeErrorPercent(m_round->result, k);
        std::string line = std::to_string(15 + 15 * k) + "," +
                           app::formatPicture(m_round->result.pointKermaRatio[k], "0.000E+00") +
                           "," + (error ? app::formatPicture(*error, "0.00") : std::string()) +
                           "," + app::eyeLensDoseText(m_round->bare.eyeLensDose[k]) + "," +
                           app::eyeLensDoseText(m_round->glasses.eyeLensDose[k]);
        lines.push_back(line);
    }
    return lines;
}

app::LiveInputs liveInputsFromMainForm(Forms& forms) {
    const MainFormEntries e = forms.form2().entries();
    const auto value = [](const QString& text) {
        const double v = app::textValue(text.toStdString());
        return std::isfinite(v) ? v : 0.0;
    };
    app::LiveInputs in = app::defaultLiveInputs();
    in.phantomThicknessCm = value(e.thicknessCm);
    in.focusSurfaceCm = value(e.fsdCm);
    in.fieldLongCm = value(e.fieldLongCm);
    in.fieldShortCm = value(e.fieldShortCm);
    in.tubeVoltageKv = value(e.tubeVoltageKv);
    in.targetAngleDeg = value(e.targetAngleDeg);
    in.inherentFiltrationMmAl = value(e.inherentMmAl);
    in.addedAluminiumMm = value(e.aluminiumMm);
    in.addedCopperMm = value(e.copperMm);
    in.rectification = e.rectification;
    in.curtainLeadMm = value(e.curtainLeadMm);  // empty: no lead
    in.curtainLengthCm = value(e.curtainLengthCm);
    in.scene = forms.state().scene;
    return in;
}

void copyLiveInputsToMainForm(Forms& forms, const app::LiveInputs& in) {
    const auto text = [](double v) { return qText(app::liveNumberText(v)); };
    forms.form2().setEntries({text(in.phantomThicknessCm), text(in.focusSurfaceCm),
                              text(in.fieldLongCm), text(in.fieldShortCm), text(in.tubeVoltageKv),
                              text(in.targetAngleDeg), text(in.inherentFiltrationMmAl),
                              text(in.addedAluminiumMm), text(in.addedCopperMm),
                              text(in.curtainLeadMm), text(in.curtainLengthCm), in.rectification});
    forms.state().scene = in.scene;
    forms.form2().sceneChanged();
    forms.form15().sceneChanged();
}

}  // namespace korvana::forms
