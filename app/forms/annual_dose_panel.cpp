#include "app/forms/annual_dose_panel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "app/common/picture_format.h"
#include "app/forms/settings.h"
#include "app/results/csv_export.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/message_box.h"
#include "app/widgets/picture_export.h"

namespace korvana::forms {

namespace {

const QString MEASURE_KEY = QStringLiteral("annualDose/measure");
const QString VALUE_KEY = QStringLiteral("annualDose/valuePerProcedure");
const QString PROCEDURES_KEY = QStringLiteral("annualDose/proceduresPerYear");
const QString EYE_KEY = QStringLiteral("annualDose/eyePosition");
const QString EYE_X_KEY = QStringLiteral("annualDose/eyeXCm");
const QString EYE_Z_KEY = QStringLiteral("annualDose/eyeZCm");

enum Column {
    ANGLE,
    BARE,
    BARE_ERROR,
    BARE_PERCENT,
    BARE_COUNT,
    GLASSES,
    GLASSES_ERROR,
    GLASSES_PERCENT,
    GLASSES_COUNT,
    COLUMN_COUNT
};

QString qText(const std::string& text) { return QString::fromStdString(text); }

QLabel* note(QWidget* parent, const char* name, const char* text, TwipRect where) {
    QLabel* label = addLabel(parent, name, QString::fromUtf8(text), where);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

app::Rgb verdictColour(app::DoseVerdict verdict) {
    switch (verdict) {
        case app::DoseVerdict::BelowLimit:
            return {198, 239, 206};
        case app::DoseVerdict::AboveAverageLimit:
            return {255, 235, 156};
        case app::DoseVerdict::AboveSingleYearLimit:
            return {255, 150, 150};
    }
    return {255, 255, 255};
}

QString workloadFaultText(const app::WorkloadFault& fault) {
    const auto number = [](double value) { return QString::number(value, 'g', 7); };
    const QString value = number(fault.value);
    const QString highest = number(fault.highest);
    const bool high = fault.value > fault.highest;
    switch (fault.field) {
        case app::WorkloadField::KermaAreaProduct:
            return high ? QStringLiteral(
                              "1件あたりの面積線量 P_KA %1 Gy·cm² は大きすぎます"
                              "（1件で %2 Gy·cm² を超える手技はありません）。"
                              "単位と桁を確かめて下さい")
                              .arg(value, highest)
                        : QStringLiteral(
                              "1件あたりの面積線量 P_KA [Gy·cm²] に 0 より大きい"
                              "数値を入力して下さい");
        case app::WorkloadField::EntranceKerma:
            return high ? QStringLiteral(
                              "1件あたりの入射表面空気カーマ %1 mGy は大きすぎます"
                              "（1件で %2 mGy を超える手技はありません）。"
                              "単位と桁を確かめて下さい")
                              .arg(value, highest)
                        : QStringLiteral(
                              "1件あたりの入射表面空気カーマ [mGy] に 0 より大きい"
                              "数値を入力して下さい");
        case app::WorkloadField::KermaOverResultField:
            return QStringLiteral(
                       "面積線量 P_KA を結果の照射野 %1 cm² で割ると入射表面空気カーマが"
                       " %2 mGy になり、1件あたり %3 mGy を超えます。"
                       "P_KA と照射野を確かめて下さい")
                .arg(number(fault.fieldAreaCm2), value, highest);
        case app::WorkloadField::Procedures:
            return high ? QStringLiteral(
                              "年間件数 %1 件は多すぎます（%2 件/年まで）。"
                              "件数を確かめて下さい")
                              .arg(value, highest)
                        : QStringLiteral("年間件数 [件/年] に 0 以上の整数を入力して下さい");
    }
    return {};
}

AnnualDosePanel::AnnualDosePanel(QWidget* parent, TwipRect where)
    : QGroupBox(QStringLiteral("年間の水晶体線量（作業量から）"), parent),
      Option5(addOptionButton(this, "Option5", QStringLiteral("面積線量 P_KA [Gy·cm²]"),
                              {120, 300, 3300, 300})),
      Option6(addOptionButton(this, "Option6", QStringLiteral("入射表面空気カーマ [mGy]"),
                              {3500, 300, 3300, 300})),
      Text30(addTextBox(this, "Text30", {2040, 700, 1200, 360})),
      Text31(addTextBox(this, "Text31", {5160, 700, 1200, 360})),
      Check2(new QCheckBox(QStringLiteral("眼の位置を指定"), this)),
      Text32(addTextBox(this, "Text32", {3000, 1160, 800, 360})),
      Text33(addTextBox(this, "Text33", {4700, 1160, 800, 360})),
      Command5(addCommandButton(this, "Command5", QStringLiteral("年間線量を計算"),
                                {6600, 640, 2250, 900})),
      Grid1(new QTableWidget(8, COLUMN_COUNT, this)),
      Label80(note(this, "Label80", "", {120, 5560, 8760, 360})),
      Label81(note(this, "Label81", "", {120, 1580, 8760, 420})) {
    setObjectName(QStringLiteral("Frame2"));
    Label80->setWordWrap(false);  // one line between the table and the notes
    setGeometry(where.toPixels());
    note(this, "Label70", "1件あたり", {240, 740, 1750, 330});
    note(this, "Label71", "年間件数 [件/年]", {3360, 740, 1800, 330});
    Check2->setObjectName(QStringLiteral("Check2"));
    Check2->setGeometry(TwipRect{120, 1180, 2100, 330}.toPixels());
    note(this, "Label72", "x [cm]", {2300, 1200, 700, 330});
    note(this, "Label73", "z [cm]", {4000, 1200, 700, 330});

    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setGeometry(TwipRect{120, 2040, 8760, 3420}.toPixels());
    Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("角度\n[度]"), QStringLiteral("眼鏡なし\n[mSv/年]"),
         QStringLiteral("±\n[%]"), QStringLiteral("限度比\n[%]"),
         QStringLiteral("上限件数\n[件/年]"), QStringLiteral("眼鏡あり\n[mSv/年]"),
         QStringLiteral("±\n[%]"), QStringLiteral("限度比\n[%]"),
         QStringLiteral("上限件数\n[件/年]")});
    Grid1->verticalHeader()->hide();
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Grid1->verticalHeader()->setDefaultSectionSize(twipsToPixels(330));
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    note(this, "Label74",
         "限度比: 20 mSv/年に対する割合。上限件数: 20 mSv/年未満に収まる年間件数。"
         "色: 緑 20 mSv 未満、黄 20〜50 mSv、赤 50 mSv 超。",
         {120, 5940, 8760, 420});
    note(this, "Label75",
         "入射表面空気カーマ = P_KA ÷ 照射野面積（結果の照射野サイズ）。寝台・マットレスの減弱は"
         "無視（安全側）。Hp(3) = 水晶体線量比 × 入射表面空気カーマ × 件数。± は空気カーマの"
         "モンテカルロ統計誤差のみで、換算係数・鉛データの不確かさは含みません。"
         "線量限度: 5年平均 20 mSv/年、どの1年も 50 mSv 以下（ICRP Publ. 118、"
         "EU 2013/59/Euratom、日本 2021年施行）。",
         {120, 6360, 8760, 960});

    // The inputs of the last session.
    const bool entrance = storedText(MEASURE_KEY) == QStringLiteral("entrance");
    (entrance ? Option6 : Option5)->setChecked(true);
    Text30->setText(storedText(VALUE_KEY));
    Text31->setText(storedText(PROCEDURES_KEY));
    Check2->setChecked(storedText(EYE_KEY) == QStringLiteral("1"));
    Text32->setText(storedText(EYE_X_KEY, QStringLiteral("60")));
    Text33->setText(storedText(EYE_Z_KEY, QStringLiteral("-30")));

    addExportMenu(Grid1,
                  {QStringLiteral("annual_eye_lens_dose"),
                   [this] { return Grid1->grab().toImage(); },
                   {},
                   {{SAVE_CSV_CAPTION, [] { return QStringLiteral("annual_eye_lens_dose.csv"); },
                     [this] {
                         return m_shown ? app::annualEyeLensDoseCsv(*m_shown)
                                        : std::vector<std::string>{};
                     }}}});
}

void AnnualDosePanel::storeInputs() const {
    storeText(MEASURE_KEY,
              Option6->isChecked() ? QStringLiteral("entrance") : QStringLiteral("kap"));
    storeText(VALUE_KEY, Text30->text());
    storeText(PROCEDURES_KEY, Text31->text());
    storeText(EYE_KEY, Check2->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    storeText(EYE_X_KEY, Text32->text());
    storeText(EYE_Z_KEY, Text33->text());
}

void AnnualDosePanel::onInputChanged(const std::function<void()>& changed) {
    for (QLineEdit* box : {Text30, Text31, Text32, Text33}) {
        connect(box, &QLineEdit::textChanged, this, changed);
    }
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{Option5, Check2}) {
        connect(button, &QAbstractButton::toggled, this, changed);
    }
}

void AnnualDosePanel::reportInputFault(const QString& text, InputFaults faults) {
    if (faults == InputFaults::Shown) {
        showMessage(this, text, MessageIcon::Exclamation);
        return;
    }
    clearTable();
    // One line under the table; the whole reason in its tooltip.
    Label80->setText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    Label80->setToolTip(text);
}

bool AnnualDosePanel::showAnnualDose(const app::ResultSet& set,
                                     const app::EyeLensDoseTables& tables, double glassesMm,
                                     double protectionMm, InputFaults faults) {
    const bool entrance = Option6->isChecked();
    const std::optional<double> value = app::workloadValue(Text30->text().toStdString());
    if (!value) {
        reportInputFault(entrance
                             ? QStringLiteral("1件あたりの入射表面空気カーマ [mGy] に 0 より大きい"
                                              "数値を入力して下さい")
                             : QStringLiteral("1件あたりの面積線量 P_KA [Gy·cm²] に 0 より大きい"
                                              "数値を入力して下さい"),
                         faults);
        return false;
    }
    const std::optional<long long> procedures = app::procedureCount(Text31->text().toStdString());
    if (!procedures) {
        reportInputFault(QStringLiteral("年間件数 [件/年] に 0 以上の整数を入力して下さい"),
                         faults);
        return false;
    }
    std::optional<app::EyePosition> eye;
    if (Check2->isChecked()) {
        eye = app::parseEyePosition((Text32->text() + "," + Text33->text()).toStdString());
        if (!eye || !app::isInsideGrid(*eye)) {
            reportInputFault(
                QStringLiteral("眼の位置 x, z [cm] には分布グリッド内の数値を入力して下さい"
                               "（x 50〜150 cm、z −100〜50 cm）"),
                faults);
            return false;
        }
    }
    const app::Workload workload{
        entrance ? app::WorkloadMeasure::EntranceKerma : app::WorkloadMeasure::KermaAreaProduct,
        *value, *procedures};
    if (const auto fault = app::checkWorkload(workload, set.conditions)) {
        reportInputFault(workloadFaultText(*fault), faults);
        return false;
    }
    try {
        fillTable(
            app::computeAnnualEyeLensDose(set, tables, workload, glassesMm, protectionMm, eye));
    } catch (const std::exception& error) {
        reportInputFault(QStringLiteral("年間線量を計算できません。\n") + failureDetail(error),
                         faults);
        return false;
    }
    storeInputs();
    return true;
}

void AnnualDosePanel::clearTable() {
    Grid1->clearContents();
    Label80->clear();
    Label80->setToolTip({});
    Label81->clear();
    m_shown.reset();
}

void AnnualDosePanel::fillTable(const app::AnnualEyeLensDose& year) {
    clearTable();
    // Glasses of 0 mm would repeat the columns without glasses.
    const bool glasses = year.glassesMm > 0;
    Grid1->horizontalHeaderItem(GLASSES)->setText(
        glasses ? QStringLiteral("眼鏡あり\n%1 mm\n[mSv/年]")
                      .arg(qText(app::formatPicture(year.glassesMm, "0.0##")))
                : QStringLiteral("眼鏡あり\n（未選択）\n[mSv/年]"));
    Grid1->setRowCount(static_cast<int>(year.points.size()));
    const auto put = [this](int row, int column, const std::optional<app::AnnualDose>& dose) {
        if (!dose) {
            Grid1->setItem(row, column, cell(QStringLiteral("-")));
            return;
        }
        const app::Rgb rgb = verdictColour(dose->verdict);
        const QColor colour(rgb.red, rgb.green, rgb.blue);
        Grid1->setItem(row, column, cell(qText(app::formatPicture(dose->annualMsv, "0.00"))));
        Grid1->item(row, column)->setBackground(colour);
        Grid1->setItem(row, column + 1,
                       cell(dose->relStdErrorPercent
                                ? qText(app::formatPicture(*dose->relStdErrorPercent, "0.0"))
                                : QStringLiteral("-")));
        Grid1->setItem(row, column + 2, cell(qText(app::formatPicture(dose->percentOfLimit, "0"))));
        Grid1->item(row, column + 2)->setBackground(colour);
        Grid1->setItem(
            row, column + 3,
            cell(dose->proceduresBelowLimit ? QString::number(*dose->proceduresBelowLimit)
                                            : QStringLiteral("制限なし")));
    };
    const app::AnnualDosePoint* highest = nullptr;
    for (int row = 0; row < static_cast<int>(year.points.size()); ++row) {
        const app::AnnualDosePoint& point = year.points[static_cast<std::size_t>(row)];
        Grid1->setItem(
            row, ANGLE,
            cell(point.eye ? QStringLiteral("眼の位置")
                           : qText(app::formatPicture(app::angleOfIndex(point.angleIndex), "0"))));
        put(row, BARE, point.bare);
        if (glasses) {
            put(row, GLASSES, point.glasses);
        } else {
            for (int column = GLASSES; column <= GLASSES_COUNT; ++column) {
                Grid1->setItem(row, column, cell(QStringLiteral("—")));
            }
        }
        if (point.bare && (!highest || !highest->bare ||
                           point.bare->annualMsv > highest->bare->annualMsv || point.eye)) {
            highest = &point;  // the eye position, when given, is the worker's own
        }
    }
    if (highest && highest->bare) {
        const auto count = [](const std::optional<app::AnnualDose>& dose) {
            return dose && dose->proceduresBelowLimit
                       ? QString::number(*dose->proceduresBelowLimit) + QStringLiteral(" 件")
                       : QStringLiteral("制限なし");
        };
        const QString where =
            highest->eye ? QStringLiteral("眼の位置")
                         : qText(app::formatPicture(app::angleOfIndex(highest->angleIndex), "0")) +
                               QStringLiteral(" 度");
        Label80->setText(QStringLiteral("20 mSv/年未満に収まる年間件数（") + where +
                         QStringLiteral("）: 眼鏡なし ") + count(highest->bare) +
                         (glasses ? QStringLiteral("、眼鏡あり ") + count(highest->glasses)
                                  : QStringLiteral("、防護眼鏡は未選択（0 mm Pb）")));
    }
    for (const app::AnnualDosePoint& point : year.points) {
        if (!point.eye) continue;
        Label81->setText(
            QStringLiteral("眼の位置 (") + qText(app::formatPicture(point.eye->xCm, "0.0#")) +
            QStringLiteral(", ") + qText(app::formatPicture(point.eye->zCm, "0.0#")) +
            QStringLiteral(") cm: 空気カーマは分布グリッドから補間、鉛透過と D3mm/Kair は方向が"
                           "最も近い計測角度 ") +
            qText(app::formatPicture(app::angleOfIndex(point.angleIndex), "0")) +
            QStringLiteral(" 度のスペクトルから"));
    }
    m_shown = year;
}

}  // namespace korvana::forms
