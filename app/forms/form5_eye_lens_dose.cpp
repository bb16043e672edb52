#include "app/forms/form5_eye_lens_dose.h"

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <exception>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/forms/annual_dose_panel.h"
#include "app/forms/form10_conversion_factor.h"
#include "app/forms/form1_result_browser.h"
#include "app/forms/forms.h"
#include "app/results/eye_points.h"
#include "app/results/kerma_uncertainty.h"
#include "app/widgets/controls.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_export.h"

namespace korvana::forms {

namespace {

const QString NO_THICKNESS = QStringLiteral(" Input Pb thickness ! ");

constexpr int FIRST_ROW_TOP = 3720;
constexpr int ROW = 420;
constexpr TwipRect resultBox(int left, int row) {
    return {left, FIRST_ROW_TOP + ROW * row - 30, 1500, 360};
}
constexpr int RATIO_LEFT = 2700;
constexpr int DOSE_LEFT = 4500;
constexpr int ERROR_LEFT = 6030;  // the dose's relative error, right of its box
//! The designed window is 6840 twips wide; the workload panel stands to its right.
constexpr int DESIGNED_WIDTH = 6840;
constexpr TwipRect PANEL = {DESIGNED_WIDTH + 60, 90, 9000, 7560};
//! The eye points of the room, under the designed area and the panel.
constexpr TwipRect EYE_FRAME = {240, 7740, PANEL.left + PANEL.width - 240, 2520};

enum EyeColumn {
    EYE_NAME,
    EYE_POSITION,
    EYE_KERMA,
    EYE_KERMA_ERROR,
    EYE_SPECTRUM,
    EYE_BARE,
    EYE_GLASSES,
    EYE_BARE_YEAR,
    EYE_YEAR_ERROR,
    EYE_GLASSES_YEAR,
    EYE_COLUMN_COUNT
};

QTableWidgetItem* eyeCell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QLabel* caption(QWidget* parent, const char* name, const char* text, TwipRect where) {
    return addLabel(parent, name, QString::fromUtf8(text), where);
}

// A subscript: a smaller caption set lower than its symbol.
void subscript(QWidget* parent, const char* name, const char* text, TwipRect where) {
    QLabel* label = caption(parent, name, text, where);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    label->setFont(small);
}

QString qText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

Form5::Form5(Forms& forms)
    : Form("Form5", QStringLiteral("Eye lens dose"), PANEL.left + PANEL.width + 120,
           EYE_FRAME.top + EYE_FRAME.height + 120),
      Text1(addTextBox(page(), "Text1", {1560, 990, 4800, 360})),
      Label14(caption(page(), "Label14", "Pb protection  =", {240, 1500, 2400, 330})),
      Text3(addTextBox(page(), "Text3", {2700, 1470, 900, 360})),
      Label1(caption(page(), "Label1", "Protective glasses  =", {240, 1980, 2400, 330})),
      Combo2(addComboBox(page(), "Combo2", {2700, 1950, 900, 360})),
      Label3(caption(page(), "Label3", "mm Pb", {3700, 1980, 900, 330})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("OK"), {4860, 1470, 1500, 840})),
      Text6(addTextBox(page(), "Text6", resultBox(RATIO_LEFT, 0))),
      Text7(addTextBox(page(), "Text7", resultBox(RATIO_LEFT, 1))),
      Text13(addTextBox(page(), "Text13", resultBox(RATIO_LEFT, 2))),
      Text14(addTextBox(page(), "Text14", resultBox(RATIO_LEFT, 3))),
      Text15(addTextBox(page(), "Text15", resultBox(RATIO_LEFT, 4))),
      Text16(addTextBox(page(), "Text16", resultBox(RATIO_LEFT, 5))),
      Text17(addTextBox(page(), "Text17", resultBox(RATIO_LEFT, 6))),
      Text4(addTextBox(page(), "Text4", resultBox(DOSE_LEFT, 0))),
      Text8(addTextBox(page(), "Text8", resultBox(DOSE_LEFT, 1))),
      Text9(addTextBox(page(), "Text9", resultBox(DOSE_LEFT, 2))),
      Text10(addTextBox(page(), "Text10", resultBox(DOSE_LEFT, 3))),
      Text11(addTextBox(page(), "Text11", resultBox(DOSE_LEFT, 4))),
      Text12(addTextBox(page(), "Text12", resultBox(DOSE_LEFT, 5))),
      Text19(addTextBox(page(), "Text19", resultBox(DOSE_LEFT, 6))),
      Command2(addCommandButton(page(), "Command2",
                                QStringLiteral("Conversion factor for mono-energetic photon beams"),
                                {240, 6840, 4200, 600})),
      Command4(addCommandButton(page(), "Command4", QStringLiteral("Close"),
                                {4860, 6840, 1500, 600}, QStringLiteral(" Cancel "))),
      annualPanel(new AnnualDosePanel(page(), PANEL)),
      Frame3(new QGroupBox(QStringLiteral("目の位置（部屋の配置）"), page())),
      Grid2(new QTableWidget(0, EYE_COLUMN_COUNT, Frame3)),
      Label82(addLabel(Frame3, "Label82", QString(), {120, 1860, EYE_FRAME.width - 240, 600})),
      m_forms(forms) {
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(EYE_FRAME.toPixels());
    Grid2->setObjectName(QStringLiteral("Grid2"));
    Grid2->setGeometry(TwipRect{120, 300, EYE_FRAME.width - 240, 1500}.toPixels());
    Grid2->setHorizontalHeaderLabels(
        {QStringLiteral("名前"), QStringLiteral("x, y, z\n[cm]"),
         QStringLiteral("空気カーマ\n[Gy/Gy]"), QStringLiteral("±\n[%]"),
         QStringLiteral("スペクトル\n[度]"), QStringLiteral("D 眼鏡なし\n[Gy/Gy]"),
         QStringLiteral("D 眼鏡あり\n[Gy/Gy]"), QStringLiteral("眼鏡なし\n[mSv/年]"),
         QStringLiteral("±\n[%]"), QStringLiteral("眼鏡あり\n[mSv/年]")});
    Grid2->verticalHeader()->hide();
    Grid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The three coordinates in one cell, never cut short.
    Grid2->horizontalHeader()->setSectionResizeMode(EYE_POSITION, QHeaderView::ResizeToContents);
    Grid2->verticalHeader()->setDefaultSectionSize(twipsToPixels(330));
    Grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Label82->setWordWrap(true);
    Label82->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const char* errorNames[] = {"Label60", "Label61", "Label62", "Label63",
                                "Label64", "Label65", "Label66"};
    for (int row = 0; row < 7; ++row) {
        errorLabels << addLabel(page(), errorNames[row], QString(),
                                {ERROR_LEFT, FIRST_ROW_TOP + ROW * row, 800, 330});
    }
    buildCaptions();
    makeReadOnly(Text1);
    for (QLineEdit* result : ratioBoxes() + doseBoxes()) {
        makeReadOnly(result);
        result->setStyleSheet(
            QStringLiteral("color: rgb(255, 0, 0); background: rgb(255, 255, 192);"));
    }
    // The table as shown, as a picture of the window or as CSV.
    addExportMenu(page(), {QStringLiteral("eye_lens_dose"),
                           [this] { return page()->grab().toImage(); },
                           {},
                           {{SAVE_CSV_CAPTION,
                             [this] {
                                 return qText(app::resultStem(m_forms.state().resultSet.fileName)) +
                                        QStringLiteral("_eye_lens_dose.csv");
                             },
                             [this] {
                                 return m_shownDose ? app::eyeLensDoseCsv({*m_shownDose})
                                                    : std::vector<std::string>{};
                             }}}});
    setDefaultButton(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(annualPanel->Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    annualPanel->onInputChanged([this] { annualInputChanged(); });
    connect(Combo2, &QComboBox::currentTextChanged, this, [this] { annualInputChanged(); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { annualInputChanged(); });
}

void Form5::buildCaptions() {
    QFont headFont = font();
    headFont.setBold(true);
    caption(page(), "Label4", "Conversion factor ", {240, 150, 2100, 360})->setFont(headFont);
    caption(page(), "Label5", "D        / K", {2340, 150, 1500, 360})->setFont(headFont);
    subscript(page(), "Label6", "3mm", {2520, 300, 600, 300});
    subscript(page(), "Label7", "air", {3480, 300, 500, 300});
    caption(page(), "Label8", "air kerma to absorbed dose at 3 mm in depth", {240, 570, 6000, 330});
    caption(page(), "Label17", "Data file :", {240, 1020, 1300, 330});
    caption(page(), "Label16", "mm", {3700, 1500, 600, 330});

    caption(page(), "Label23", "Eye lens dose", {240, 2640, 2000, 360})->setFont(headFont);
    caption(page(), "Label25", "D", {2340, 2640, 300, 360})->setFont(headFont);
    subscript(page(), "Label24", "eye lens", {2520, 2790, 1000, 300});

    caption(page(), "Label15", "Scattering angle", {240, 3240, 2300, 330});
    caption(page(), "Label11", "D        / K", {RATIO_LEFT + 120, 3180, 1400, 330});
    subscript(page(), "Label10", "3mm", {RATIO_LEFT + 270, 3330, 600, 300});
    subscript(page(), "Label9", "air", {RATIO_LEFT + 1140, 3330, 500, 300});
    caption(page(), "Label20", "D", {DOSE_LEFT + 120, 3180, 300, 330});
    subscript(page(), "Label21", "eye lens", {DOSE_LEFT + 300, 3330, 900, 300});
    caption(page(), "Label22", "Gy", {DOSE_LEFT + 1200, 3180, 400, 330});
    const char* rowNames[] = {"Label33", "Label34", "Label35", "Label12",
                              "Label36", "Label19", "Label37"};
    const char* rowCaptions[] = {"45 degree",  "60 degree",  "75 degree", "90 degree",
                                 "105 degree", "120 degree", "135 degree"};
    for (int row = 0; row < 7; ++row) {
        caption(page(), rowNames[row], rowCaptions[row],
                {480, FIRST_ROW_TOP + ROW * row, 2000, 330});
    }
}

QList<QLineEdit*> Form5::ratioBoxes() const {
    return {Text6, Text7, Text13, Text14, Text15, Text16, Text17};
}

QList<QLineEdit*> Form5::doseBoxes() const {
    return {Text4, Text8, Text9, Text10, Text11, Text12, Text19};
}

void Form5::setGlassesChoices(const QStringList& glasses, const QString& shown) {
    Combo2->clear();
    Combo2->addItems(glasses);
    Combo2->setEditText(shown);
}

bool Form5::openEyeLensDose() {
    try {
        m_tables = app::loadEyeLensDoseTables();
    } catch (const std::exception& error) {
        // Without both tables nothing can be computed: the window stays closed.
        m_tables.reset();
        showMessage(this,
                    QStringLiteral("水晶体線量の計算に必要なデータ（d-DperK.dDk, Pb.dat）を"
                                   "読み込めません。\n") +
                        failureDetail(error),
                    MessageIcon::Critical);
        return false;
    }
    m_annualFollows = false;
    Text1->setText(qText(m_forms.state().resultSet.fileName));
    Text3->setText(QStringLiteral("0"));
    for (QLineEdit* result : ratioBoxes() + doseBoxes()) result->clear();
    for (QLabel* error : errorLabels) error->clear();
    m_shownDose.reset();
    annualPanel->clearTable();
    clearEyePoints();
    showModelessOver(&m_forms.form1());
    return true;
}

void Form5::Command1_Click() {
    if (Text3->text().isEmpty() || Combo2->currentText().isEmpty()) {
        showMessage(this, NO_THICKNESS, MessageIcon::Exclamation);
        return;
    }
    if (!m_tables) return;  // only reachable before a successful opening
    app::EyeLensDose dose;
    const double glassesMm = app::textValue(Combo2->currentText().toStdString());
    const double protectionMm = app::textValue(Text3->text().toStdString());
    try {
        dose =
            app::computeEyeLensDose(m_forms.state().resultSet, *m_tables, glassesMm, protectionMm);
    } catch (const std::exception& error) {
        showMessage(this, QStringLiteral("水晶体線量を計算できません。\n") + failureDetail(error),
                    MessageIcon::Exclamation);
        return;
    }
    const QList<QLineEdit*> ratios = ratioBoxes();
    const QList<QLineEdit*> doses = doseBoxes();
    for (int k = app::FIRST_SHOWN_ANGLE; k <= app::LAST_SHOWN_ANGLE; ++k) {
        const int row = k - app::FIRST_SHOWN_ANGLE;
        ratios[row]->setText(qText(app::doseConversionRatioText(dose.doseConversionRatio[k])));
        doses[row]->setText(qText(app::eyeLensDoseText(dose.eyeLensDose[k])));
        const std::optional<double> error = dose.relStdErrorPercent[k];
        errorLabels[row]->setText(error ? qText(app::relativeErrorText(*error)) : QString());
    }
    m_shownDose = app::EyeLensDoseTable{glassesMm, protectionMm, dose};
    const auto& year = annualPanel->shownTable();
    showEyePoints(glassesMm, protectionMm,
                  m_annualFollows && year ? std::optional(year->workload) : std::nullopt);
}

void Form5::clearEyePoints() {
    Grid2->setRowCount(0);
    const bool any = app::hasEyePoints(m_forms.state().resultSet);
    Grid2->setVisible(any);
    Label82->setText(
        any ? QStringLiteral(
                  "OK で各目の位置の水晶体線量 D（保護と眼鏡の鉛を通過後）、年間線量を計算すると"
                  "その年間 Hp(3) を表示します。")
            : QStringLiteral("この結果には目の位置がありません（部屋の配置に目の位置を置いて"
                             "次イベント推定で計算した結果に表示されます）。"));
}

void Form5::showEyePoints(double glassesMm, double protectionMm,
                          const std::optional<app::Workload>& workload) {
    const app::ResultSet& set = m_forms.state().resultSet;
    if (!m_tables || !app::hasEyePoints(set)) return;
    app::EyePointDoses doses;
    try {
        doses = app::computeEyePointDoses(set, *m_tables, glassesMm, protectionMm, workload);
    } catch (const std::exception& error) {
        Grid2->setRowCount(0);
        Label82->setText(QStringLiteral("目の位置の線量を計算できません。") + failureDetail(error));
        return;
    }
    Grid2->setRowCount(static_cast<int>(doses.points.size()));
    const auto number = [](double value, const char* picture) {
        return qText(app::formatPicture(value, picture));
    };
    const auto year = [&](int row, int column, const std::optional<app::AnnualDose>& dose) {
        if (!dose) {
            Grid2->setItem(row, column, eyeCell(QStringLiteral("-")));
            return;
        }
        const app::Rgb rgb = verdictColour(dose->verdict);
        Grid2->setItem(row, column, eyeCell(number(dose->annualMsv, "0.00")));
        Grid2->item(row, column)->setBackground(QColor(rgb.red, rgb.green, rgb.blue));
    };
    for (int row = 0; row < Grid2->rowCount(); ++row) {
        const app::EyePointDose& dose = doses.points[static_cast<std::size_t>(row)];
        const EyePointResult& point = dose.point;
        Grid2->setItem(row, EYE_NAME, eyeCell(qText(point.name)));
        Grid2->item(row, EYE_NAME)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Grid2->setItem(row, EYE_POSITION,
                       eyeCell(number(point.positionCm[0], "0.0") + QStringLiteral(", ") +
                               number(point.positionCm[1], "0.0") + QStringLiteral(", ") +
                               number(point.positionCm[2], "0.0")));
        Grid2->setItem(row, EYE_KERMA, eyeCell(number(point.airKermaRatio, "0.000E+00")));
        Grid2->setItem(row, EYE_KERMA_ERROR,
                       eyeCell(point.relErrPercent
                                   ? number(*point.relErrPercent, "0.0") +
                                         (point.unstable ? QStringLiteral(" 不安定") : QString())
                                   : QStringLiteral("-")));
        Grid2->setItem(row, EYE_SPECTRUM,
                       eyeCell(number(app::angleOfIndex(dose.spectrumAngleIndex), "0")));
        Grid2->setItem(row, EYE_BARE, eyeCell(qText(app::eyeLensDoseText(dose.bareDose))));
        Grid2->setItem(row, EYE_GLASSES, eyeCell(qText(app::eyeLensDoseText(dose.glassesDose))));
        year(row, EYE_BARE_YEAR, dose.bareYear);
        Grid2->setItem(
            row, EYE_YEAR_ERROR,
            eyeCell(dose.bareYear && point.relErrPercent ? number(*point.relErrPercent, "0.0")
                                                         : QStringLiteral("-")));
        year(row, EYE_GLASSES_YEAR, dose.glassesYear);
    }
    Label82->setText(
        QStringLiteral("空気カーマは各目の位置で計算した値（遮へい板・寝台・カーテンを含む）。"
                       "目の位置のスペクトルは記録されないため、鉛の透過と D3mm/Kair には照射野"
                       "中心から見た方向が最も近い計測角度（スペクトル欄）のスペクトルを使う近似。"
                       "眼鏡 %1 mm Pb、保護 %2 mm Pb。")
            .arg(number(glassesMm, "0.0##"), number(protectionMm, "0.0##")));
}

void Form5::Command5_Click() {
    m_annualFollows = true;
    showAnnualDose(InputFaults::Shown);
}

void Form5::annualInputChanged() {
    if (m_annualFollows) showAnnualDose(InputFaults::Quiet);
}

void Form5::showAnnualDose(InputFaults faults) {
    if (Text3->text().isEmpty() || Combo2->currentText().isEmpty()) {
        annualPanel->reportInputFault(NO_THICKNESS, faults);
        return;
    }
    if (!m_tables) return;
    const double glassesMm = app::textValue(Combo2->currentText().toStdString());
    const double protectionMm = app::textValue(Text3->text().toStdString());
    if (annualPanel->showAnnualDose(m_forms.state().resultSet, *m_tables, glassesMm, protectionMm,
                                    faults)) {
        showEyePoints(glassesMm, protectionMm, annualPanel->shownTable()->workload);
    } else if (Grid2->rowCount() > 0) {
        showEyePoints(glassesMm, protectionMm, std::nullopt);  // no year to show
    }
}

void Form5::Command2_Click() {
    if (m_tables) m_forms.form10().showConversionFactor(m_tables->conversion, this);
}

void Form5::Command4_Click() {
    m_forms.form10().hide();
    hide();
}

}  // namespace korvana::forms
