#include "app/forms/form1_result_browser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <exception>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/forms/form10_conversion_factor.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/form3_kerma_map.h"
#include "app/forms/form4_geometry.h"
#include "app/forms/form5_eye_lens_dose.h"
#include "app/forms/forms.h"
#include "app/results/condition_texts.h"
#include "app/results/csv_export.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/eye_points.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/lead_protection.h"
#include "app/results/spectrum_plot.h"
#include "app/widgets/controls.h"
#include "app/widgets/failure_text.h"
#include "app/widgets/file_list_box.h"
#include "app/widgets/message_box.h"
#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"

namespace korvana::forms {

namespace {

const QString NO_FILE_SELECTED = QStringLiteral(" ファイルを選択して下さい ");
const QString NO_LEAD_THICKNESS = QStringLiteral("鉛防護厚を入力して下さい");

constexpr int PLOT_WIDTH_UNITS = 869;
constexpr int PLOT_HEIGHT_UNITS = 565;
// One plot unit per screen pixel; the frame adds 2 pixels on each side.
constexpr int PLOT_OUTER_WIDTH_TWIPS = (PLOT_WIDTH_UNITS + 4) * TWIPS_PER_PIXEL;
constexpr int PLOT_OUTER_HEIGHT_TWIPS = (PLOT_HEIGHT_UNITS + 4) * TWIPS_PER_PIXEL;

constexpr int BLACK = 0;
constexpr int GREY = 8;

QColor black() { return paletteColor(BLACK); }

QLineEdit* box(QWidget* parent, const char* name, TwipRect where) {
    return addTextBox(parent, name, where);
}

// Rows of the condition column on the left.
constexpr int CONDITION_LABEL_LEFT = 120;
constexpr int CONDITION_BOX_LEFT = 2040;
constexpr int CONDITION_UNIT_LEFT = 3300;
constexpr int CONDITION_FIRST_TOP = 4260;
constexpr int ROW = 390;
constexpr int conditionTop(int row) { return CONDITION_FIRST_TOP + ROW * row; }
constexpr TwipRect conditionBox(int row) {
    return {CONDITION_BOX_LEFT, conditionTop(row), 1200, 330};
}

// Rows of the air kerma columns on the right: 45 ... 135 degrees.
constexpr int KERMA_FIRST_TOP = 2760;
constexpr int KERMA_ROW = 420;
constexpr TwipRect kermaBox(int left, int row) {
    return {left, KERMA_FIRST_TOP + KERMA_ROW * row - 30, 1440, 360};
}

QString qText(const std::string& text) { return QString::fromStdString(text); }

//! The error labels' colour, and a warning colour for an unstable error estimate.
const QString ERROR_STYLE = QStringLiteral("color: rgb(0, 0, 160);");
const QString UNSTABLE_STYLE = QStringLiteral("color: rgb(200, 90, 0); font-weight: bold;");

// Left of each air kerma box, between it and the angle caption.
QList<QLabel*> addErrorLabels(QWidget* parent) {
    QList<QLabel*> labels;
    const char* names[] = {"Label80", "Label81", "Label82", "Label83",
                           "Label84", "Label85", "Label86"};
    QFont small;
    small.setPixelSize(10);
    for (int row = 0; row < 7; ++row) {
        const TwipRect box = kermaBox(18840, row);
        QLabel* label = addLabel(parent, names[row], QString(), {18240, box.top, 580, box.height});
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFont(small);
        label->setStyleSheet(ERROR_STYLE);
        labels << label;
    }
    return labels;
}

}  // namespace

Form1::Form1(Forms& forms)
    : Form("Form1", QStringLiteral("Side Scattered X-ray Spectrum"), 22320, 10200),
      Label14(
          addLabel(page(), "Label14", QStringLiteral("結果ファイルを選択"), {120, 120, 4200, 330})),
      File1(addFileListBox(page(), "File1", QStringLiteral("*.data"), {120, 480, 4200, 3000})),
      Command11(
          addCommandButton(page(), "Command11", QStringLiteral("OK"), {120, 3600, 1320, 480})),
      Command4(
          addCommandButton(page(), "Command4", QStringLiteral("Reset"), {1560, 3600, 1320, 480})),
      Command3(addCommandButton(page(), "Command3", QStringLiteral("Exit"), {3000, 3600, 1320, 480},
                                QStringLiteral(" bye "))),
      Text1(box(page(), "Text1", conditionBox(0))),
      Text2(box(page(), "Text2", conditionBox(1))),
      Text3(box(page(), "Text3", {CONDITION_BOX_LEFT - 1500, conditionTop(3), 1000, 330})),
      Text4(box(page(), "Text4", {CONDITION_BOX_LEFT - 150, conditionTop(3), 1000, 330})),
      Text26(box(page(), "Text26", conditionBox(5))),
      Text27(box(page(), "Text27", conditionBox(6))),
      Text9(box(page(), "Text9", conditionBox(7))),
      Text8(box(page(), "Text8", conditionBox(8))),
      Text12(box(page(), "Text12", conditionBox(9))),
      Text10(box(page(), "Text10", conditionBox(10))),
      Text11(box(page(), "Text11", conditionBox(11))),
      Text25(box(page(), "Text25", conditionBox(12))),
      Picture1(addPictureBox(page(), "Picture1",
                             {4500, 120, PLOT_OUTER_WIDTH_TWIPS, PLOT_OUTER_HEIGHT_TWIPS})),
      Command5(addCommandButton(page(), "Command5", QStringLiteral("一次線スペクトル描画"),
                                {4500, 8760, 2800, 480})),
      Command6(addCommandButton(page(), "Command6", QStringLiteral("散乱線スペクトル描画"),
                                {4500, 9360, 2800, 480})),
      Check1(new QCheckBox(QStringLiteral("散乱線 最大値で正規化"), page())),
      Label39(addLabel(page(), "Label39", QStringLiteral("散乱線角度 ="), {7500, 9420, 1500, 330})),
      Combo1(addComboBox(page(), "Combo1", {9000, 9360, 1000, 360})),
      Frame1(addFrame(page(), "Frame1", QStringLiteral("描画色"), {10500, 8700, 4200, 1140})),
      Option1(addOptionButton(Frame1, "Option1", QStringLiteral("Red"), {150, 480, 950, 360})),
      Option2(addOptionButton(Frame1, "Option2", QStringLiteral("Blue"), {1150, 480, 950, 360})),
      Option3(addOptionButton(Frame1, "Option3", QStringLiteral("Green"), {2150, 480, 950, 360})),
      Option4(addOptionButton(Frame1, "Option4", QStringLiteral("Black"), {3150, 480, 950, 360})),
      Command10(addCommandButton(page(), "Command10", QStringLiteral("幾何学的配置図 表示"),
                                 {15000, 8760, 2595, 480})),
      Text6(box(page(), "Text6", kermaBox(18840, 0))),
      Text7(box(page(), "Text7", kermaBox(18840, 1))),
      Text13(box(page(), "Text13", kermaBox(18840, 2))),
      Text14(box(page(), "Text14", kermaBox(18840, 3))),
      Text15(box(page(), "Text15", kermaBox(18840, 4))),
      Text16(box(page(), "Text16", kermaBox(18840, 5))),
      Text17(box(page(), "Text17", kermaBox(18840, 6))),
      Text5(box(page(), "Text5", {20400, 2250, 700, 330})),
      Command8(addCommandButton(page(), "Command8", QString(), {21570, 2190, 570, 450})),
      Text18(box(page(), "Text18", kermaBox(20460, 0))),
      Text19(box(page(), "Text19", kermaBox(20460, 1))),
      Text20(box(page(), "Text20", kermaBox(20460, 2))),
      Text21(box(page(), "Text21", kermaBox(20460, 3))),
      Text22(box(page(), "Text22", kermaBox(20460, 4))),
      Text23(box(page(), "Text23", kermaBox(20460, 5))),
      Text24(box(page(), "Text24", kermaBox(20460, 6))),
      Command2(addCommandButton(page(), "Command2",
                                QStringLiteral("3mm線量当量換算係数／水晶体線量"),
                                {17760, 6000, 4380, 600})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("散乱線量分布表示"),
                                {17880, 6900, 4140, 600})),
      errorLabels(addErrorLabels(page())),
      Label87(addLabel(page(), "Label87", QString(), {17760, 1890, 2560, 330})),
      m_forms(forms) {
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(TwipRect{7500, 8820, 2900, 360}.toPixels());
    buildCaptions();
    drawLeadButtonIcon();

    addExportMenus();
    Picture1->setScale(0, 0, PLOT_WIDTH_UNITS, PLOT_HEIGHT_UNITS);
    QFont plotFont(QStringLiteral("Times New Roman"));
    plotFont.setPixelSize(19);  // 14.25 pt at 96 dots per inch
    Picture1->setTextFont(plotFont);
    Option1->setChecked(true);
    // Every box but the lead thickness shows the loaded result; nothing reads them back.
    for (QLineEdit* shown : allTextBoxes()) {
        if (shown != Text5) makeReadOnly(shown);
    }

    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::currentRowChanged, this, [this] { File1_Click(); });
    connect(Command11, &QPushButton::clicked, this, [this] { Command11_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    QRadioButton* const options[] = {Option1, Option2, Option3, Option4};
    for (int n = 0; n < 4; ++n) {
        connect(options[n], &QRadioButton::clicked, this,
                [this, option = n + 1] { m_drawColour = app::drawColourOfOption(option); });
    }
    // Enter in the lead thickness moves to its button without pressing it.
    connect(Text5, &QLineEdit::returnPressed, this, [this] { Command8->setFocus(); });
}

void Form1::buildCaptions() {
    const QString blue = QStringLiteral("color: rgb(0, 0, 255);");
    Label14->setStyleSheet(blue);
    const struct {
        const char* name;
        const char* caption;
        int row;
    } rows[] = {{"Label1", "体厚", 0},
                {"Label2", "FSD", 1},
                {"Label3", "照射野サイズ at FSD", 2},
                {"Label4", "鉛カーテン", 4},
                {"Label5", "鉛当量", 5},
                {"Label7", "長さ ( L )", 6},
                {"Label8", "Ｘ線管電圧", 7},
                {"Label9", "ターゲット角度", 8},
                {"Label11", "固有ろ過", 9},
                {"Label12", "Al 付加フィルタ", 10},
                {"Label15", "銅付加フィルタ", 11},
                {"Label17", "入射光子ヒストリー", 12}};
    for (const auto& row : rows) {
        addLabel(page(), row.name, QString::fromUtf8(row.caption),
                 {CONDITION_LABEL_LEFT, conditionTop(row.row) + 30, 1900, 330});
    }
    const struct {
        const char* name;
        const char* caption;
        int row;
    } units[] = {{"Label20", "cm", 0},   {"Label21", "cm", 1},  {"Label23", "mm", 5},
                 {"Label24", "cm", 6},   {"Label25", "kV", 7},  {"Label26", "度", 8},
                 {"Label27", "mmAl", 9}, {"Label28", "mm", 10}, {"Label29", "mm", 11}};
    for (const auto& unit : units) {
        addLabel(page(), unit.name, QString::fromUtf8(unit.caption),
                 {CONDITION_UNIT_LEFT, conditionTop(unit.row) + 30, 900, 330});
    }
    addLabel(page(), "Label22", QStringLiteral("×"), {1560, conditionTop(3) + 30, 300, 330});
    // A superscript character, not rich text, whose raised line the label cut off.
    addLabel(page(), "Label30", QStringLiteral("cm²"),
             {CONDITION_BOX_LEFT + 900, conditionTop(3) + 15, 700, 360});

    // Right-hand block: the air kerma at the measuring points.
    addLabel(page(), "Label16", QStringLiteral("ファントム入射表面中心から側方"),
             {17760, 120, 4440, 330});
    addLabel(page(), "Label18", QStringLiteral("100 cm における散乱光子スペクトル"),
             {17760, 450, 4440, 330});
    QLabel* explanation = addLabel(
        page(), "Label13",
        QStringLiteral("ファントム入射表面における一次線に　よる空気カーマを 1 Gy とした時の、"
                       "　各角度の計測点における空気カーマ"),
        {17760, 840, 4440, 1020});
    explanation->setWordWrap(true);
    explanation->setStyleSheet(blue);
    addLabel(page(), "Label6", QStringLiteral("散乱角度"), {17760, 2280, 1000, 330});
    addLabel(page(), "Label42", QStringLiteral("鉛防護なし"), {18840, 2280, 1440, 330});
    addLabel(page(), "Label38", QStringLiteral("カーテン以外の鉛防護"), {20400, 1900, 1860, 330});
    addLabel(page(), "Label41", QStringLiteral("mm"), {21130, 2280, 420, 330});
    const char* rowNames[] = {"Label33", "Label34", "Label35", "Label10",
                              "Label36", "Label19", "Label37"};
    const char* rowCaptions[] = {"45度", "60度", "75度", "90度", "105度", "120度", "135度"};
    for (int row = 0; row < 7; ++row) {
        addLabel(page(), rowNames[row], QString::fromUtf8(rowCaptions[row]),
                 {17760, KERMA_FIRST_TOP + KERMA_ROW * row, 900, 330});
    }
    // The map button sits in a red frame.
    auto* shape = new QFrame(page());
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setGeometry(TwipRect{17760, 6780, 4380, 840}.toPixels());
    shape->setStyleSheet(QStringLiteral("#Shape1 { border: 2px solid rgb(255, 0, 0); }"));
    shape->lower();

    // Each colour option's caption is shown in its colour.
    QRadioButton* const options[] = {Option1, Option2, Option3, Option4};
    for (int n = 0; n < 4; ++n) {
        const QColor colour = paletteColor(app::drawColourOfOption(n + 1));
        options[n]->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    }
}

void Form1::addExportMenus() {
    const auto loaded = [this] { return !m_forms.state().resultSet.fileName.empty(); };
    const auto stem = [this] { return qText(app::resultStem(m_forms.state().resultSet.fileName)); };
    CsvExport spectra{SAVE_CSV_CAPTION, [stem] { return stem() + QStringLiteral("_spectra.csv"); },
                      [this, loaded] {
                          return loaded() ? app::resultSpectraCsv(m_forms.state().resultSet)
                                          : std::vector<std::string>{};
                      }};
    CsvExport kerma{
        QStringLiteral("空気カーマを CSV として保存…"),
        [stem] { return stem() + QStringLiteral("_air_kerma.csv"); },
        [this, loaded] { return loaded() ? airKermaCsvLines() : std::vector<std::string>{}; }};
    addExportMenu(Picture1,
                  drawingExport(Picture1, QStringLiteral("spectrum_plot"), {spectra, kerma}));
}

std::vector<std::string> Form1::airKermaCsvLines() {
    ProgramState& state = m_forms.state();
    // The protected column for the thickness in Text5, as Command8 would compute it.
    std::optional<app::LeadLayer> lead;
    if (!Text5->text().isEmpty()) {
        if (!state.materialTables) state.materialTables = app::loadMaterialTables();
        lead = app::LeadLayer{app::textValue(Text5->text().toStdString()),
                              &state.materialTables->leadAttenuationGui};
    }
    return app::airKermaCsv(state.resultSet, lead);
}

void Form1::drawLeadButtonIcon() {
    // A lead slab with a ray stopped in it.
    QPixmap icon(24, 24);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.fillRect(QRect(12, 2, 6, 20), QColor(110, 110, 120));
    painter.setPen(QPen(paletteColor(12), 2));
    painter.drawLine(2, 12, 14, 12);
    painter.end();
    Command8->setIcon(QIcon(icon));
    Command8->setIconSize(icon.size());
    Command8->setToolTip(QStringLiteral("カーテン以外の鉛防護"));
}

QList<QLineEdit*> Form1::kermaBoxes() const {
    return {Text6, Text7, Text13, Text14, Text15, Text16, Text17};
}

QList<QLineEdit*> Form1::protectedKermaBoxes() const {
    return {Text18, Text19, Text20, Text21, Text22, Text23, Text24};
}

QList<QLineEdit*> Form1::allTextBoxes() const {
    return QList<QLineEdit*>{Text1,  Text2,  Text3,  Text4,  Text5,  Text8, Text9,
                             Text10, Text11, Text12, Text25, Text26, Text27} +
           kermaBoxes() + protectedKermaBoxes();
}

void Form1::setViewerButtonsEnabled(bool enabled) {
    for (QPushButton* button : {Command1, Command5, Command6, Command8}) {
        button->setEnabled(enabled);
    }
}

void Form1::openResultBrowser() {
    for (QLineEdit* text : allTextBoxes()) text->clear();
    clearKermaErrors();
    Text5->setText(QStringLiteral("0"));
    Picture1->clear();
    Check1->setChecked(false);
    Option1->setChecked(true);
    m_drawColour = app::drawColourOfOption(1);
    setViewerButtonsEnabled(false);
    Command2->setEnabled(false);
    File1->refresh();
    showModeless();
    m_forms.form2().hide();
}

void Form1::openResultBrowserOn(const QString& fileName) {
    openResultBrowser();
    // Selecting shows the run conditions, as a click does.
    if (File1->selectFile(fileName)) Command11_Click();
}

void Form1::closeResultViewers() {
    m_forms.form2().showModeless();
    hide();
    m_forms.form3().hide();
    m_forms.form4().hide();
    m_forms.form5().hide();
    m_forms.form10().hide();
}

void Form1::setConditionTexts(const QStringList& texts) {
    // File order of lines 311-322.
    QLineEdit* const boxes[] = {Text1, Text2, Text3,  Text4,  Text26, Text27,
                                Text9, Text8, Text12, Text10, Text11, Text25};
    for (int n = 0; n < texts.size(); ++n) boxes[n]->setText(texts[n]);
}

void Form1::File1_Click() {
    const QString name = File1->selectedFileName();
    if (name.isEmpty()) return;
    try {
        const app::RunConditions conditions = app::readResultConditions(name.toStdString());
        QStringList texts;
        for (const std::string& text : app::browserConditionTexts(conditions)) {
            texts << qText(text);
        }
        setConditionTexts(texts);
    } catch (const std::exception& error) {
        // The boxes keep what they showed.
        showMessage(this,
                    QStringLiteral("結果ファイル %1 の計算条件を読み込めません。\n").arg(name) +
                        failureDetail(error),
                    MessageIcon::Critical);
    }
}

void Form1::Command11_Click() {
    const QString name = File1->selectedFileName();
    if (name.isEmpty()) {
        showMessage(this, NO_FILE_SELECTED, MessageIcon::Exclamation);
        return;
    }
    app::ResultSet& set = m_forms.state().resultSet;
    try {
        app::loadResultSet(name.toStdString(), set);
    } catch (const std::exception& error) {
        // The previously loaded result stays, and so does everything shown from it.
        showMessage(
            this,
            QStringLiteral("結果ファイル %1 を読み込めません。\n").arg(name) + failureDetail(error),
            MessageIcon::Critical);
        return;
    }
    const QList<QLineEdit*> boxes = kermaBoxes();
    for (int k = app::FIRST_SHOWN_ANGLE; k <= app::LAST_SHOWN_ANGLE; ++k) {
        boxes[k - app::FIRST_SHOWN_ANGLE]->setText(
            qText(app::formatPicture(set.pointKermaRatio[k], "0.000E+00")));
    }
    try {
        app::attachUncertainties(set);
    } catch (const std::exception& error) {
        // The result itself was read in full and stays loaded.
        showMessage(this,
                    QStringLiteral("統計誤差のファイル %1 を読み込めません。"
                                   "誤差なしで結果を表示します。\n")
                            .arg(qText(uncertaintyFileName(set.fileName))) +
                        failureDetail(error),
                    MessageIcon::Exclamation);
    }
    try {
        app::attachScene(set);
    } catch (const std::exception& error) {
        // The result itself was read in full and stays loaded, without its room.
        showMessage(
            this,
            QStringLiteral("部屋の配置のファイル（%1, %2）を使えません。"
                           "部屋の配置と目の位置なしで結果を表示します。\n")
                    .arg(qText(sceneFileName(set.fileName)), qText(pointsFileName(set.fileName))) +
                failureDetail(error),
            MessageIcon::Exclamation);
    }
    showKermaErrors();
    drawSpectrumAxes();
    Command2->setEnabled(true);
    setViewerButtonsEnabled(true);
}

void Form1::clearKermaErrors() {
    for (QLabel* label : errorLabels) label->clear();
    Label87->clear();
    for (QLineEdit* box : kermaBoxes()) box->setToolTip(QString());
}

void Form1::showKermaErrors() {
    const app::ResultSet& set = m_forms.state().resultSet;
    const QList<QLineEdit*> boxes = kermaBoxes();
    for (int k = app::FIRST_SHOWN_ANGLE; k <= app::LAST_SHOWN_ANGLE; ++k) {
        QLabel* label = errorLabels[k - app::FIRST_SHOWN_ANGLE];
        const std::optional<double> percent = app::pointRelativeErrorPercent(set, k);
        if (!percent) {
            label->clear();
            label->setToolTip(QString());
            boxes[k - app::FIRST_SHOWN_ANGLE]->setToolTip(QString());
            continue;
        }
        const QString text = qText(app::relativeErrorText(*percent));
        QString tip = QStringLiteral("空気カーマの相対標準誤差 %1").arg(text);
        if (app::pointHasFewHistories(set, k)) {
            tip += QStringLiteral("（寄与したヒストリーが少なく、誤差の推定自体が不確かです）");
        }
        const bool unstable = app::pointIsUnstable(set, k);
        if (unstable) {
            tip += QStringLiteral(
                "\n注意: この値は少数のヒストリーに大きく左右されており、誤差の推定自体が"
                "不安定です（誤差の分散の相対分散 VOV が 0.1 以上、または 1 ヒストリーが"
                "値の 10 % を超えています）。ヒストリー数を増やして計算し直してください。");
        }
        label->setText(text.simplified().remove(QLatin1Char(' ')));
        label->setStyleSheet(unstable ? UNSTABLE_STYLE : ERROR_STYLE);
        label->setToolTip(tip);
        boxes[k - app::FIRST_SHOWN_ANGLE]->setToolTip(tip);
    }
    const std::optional<std::string> estimator = app::estimatorOf(set);
    Label87->setText(!estimator                   ? QString()
                     : *estimator == "next-event" ? QStringLiteral("推定法: 点検出器推定")
                                                  : QStringLiteral("推定法: アナログ"));
}

void Form1::drawSpectrumAxes() {
    PictureBox& p = *Picture1;
    p.clear();
    p.setDrawWidth(2);
    p.rectangle(app::PLOT_LEFT, app::PLOT_TOP, app::PLOT_RIGHT, app::PLOT_BOTTOM, black());
    p.setDrawWidth(1);
    const QColor grey = paletteColor(GREY);
    for (int x = 150; x <= 800; x += 50) p.line(x, 10, x, 510, grey);
    for (int y = 60; y <= 460; y += 50) p.line(100, y, 850, y, grey);
    p.text(55, 2, QStringLiteral("1.0"));
    p.text(55, 250, QStringLiteral("0.5"));
    p.text(75, 500, QStringLiteral("0"));
    p.text(95, 515, QStringLiteral("0"));
    p.text(340, 515, QStringLiteral("50"));
    p.text(582, 515, QStringLiteral("100      keV"));
    p.text(825, 515, QStringLiteral("150"));
    p.text(400, 530, QStringLiteral("Photon energy"));
    p.text(2, 60, QStringLiteral("Relative"));
    p.text(5, 90, QStringLiteral("Photon"));
    p.text(5, 120, QStringLiteral("Fluence"));
    p.setDrawWidth(2);
}

void Form1::Command5_Click() {
    PictureBox& p = *Picture1;
    const app::PlotCurve curve = app::primaryCurve(m_forms.state().resultSet);
    p.setDrawWidth(2);
    p.point(curve.front().x, curve.front().y, black());
    for (std::size_t n = 1; n < curve.size(); ++n) p.lineTo(curve[n].x, curve[n].y, black());
    p.rectangle(app::PLOT_LEFT, app::PLOT_TOP, app::PLOT_RIGHT, app::PLOT_BOTTOM, black());
    const app::PlotLegend legend = app::primaryLegend();
    p.line(600, legend.lineY, 690, legend.lineY, black());
    p.text(700, legend.textY, qText(legend.text));
}

void Form1::Command6_Click() {
    const app::ScatterScale scale =
        Check1->isChecked() ? app::ScatterScale::LargestPeak : app::ScatterScale::OwnPeak;
    app::ScatterPlot plot;
    try {
        plot =
            app::scatterPlot(m_forms.state().resultSet, Combo1->currentText().toStdString(), scale);
    } catch (const std::exception& error) {
        showMessage(
            this,
            QStringLiteral("散乱線角度は 30 ～ 150 度で入力して下さい。\n") + failureDetail(error),
            MessageIcon::Exclamation);
        return;
    }
    PictureBox& p = *Picture1;
    const QColor colour = paletteColor(m_drawColour);
    p.setDrawWidth(2);
    p.point(plot.curve.front().x, plot.curve.front().y, colour);
    for (std::size_t n = 1; n < plot.curve.size(); ++n) {
        p.lineTo(plot.curve[n].x, plot.curve[n].y, colour);
    }
    p.rectangle(app::PLOT_LEFT, app::PLOT_TOP, app::PLOT_RIGHT, app::PLOT_BOTTOM, black());
    p.line(600, plot.legend.lineY, 690, plot.legend.lineY, colour);
    p.text(700, plot.legend.textY, qText(plot.legend.text));
}

void Form1::Command4_Click() {
    Picture1->clear();
    for (QLineEdit* text : allTextBoxes()) text->clear();
    clearKermaErrors();
    Check1->setChecked(false);
    setViewerButtonsEnabled(false);
}

void Form1::Command8_Click() {
    if (Text5->text().isEmpty()) {
        showMessage(this, NO_LEAD_THICKNESS, MessageIcon::Exclamation);
        return;
    }
    ProgramState& state = m_forms.state();
    try {
        if (!state.materialTables) state.materialTables = app::loadMaterialTables();
        const app::AngleValues protectedKerma = app::computeLeadProtectedKerma(
            state.resultSet, state.materialTables->leadAttenuationGui,
            app::textValue(Text5->text().toStdString()));
        const QList<QLineEdit*> boxes = protectedKermaBoxes();
        for (int k = app::FIRST_SHOWN_ANGLE; k <= app::LAST_SHOWN_ANGLE; ++k) {
            boxes[k - app::FIRST_SHOWN_ANGLE]->setText(
                qText(app::formatPicture(protectedKerma[k], "0.000E+00")));
        }
    } catch (const std::exception& error) {
        showMessage(
            this, QStringLiteral("鉛防護後の空気カーマを計算できません。\n") + failureDetail(error),
            MessageIcon::Exclamation);
    }
}

void Form1::Command2_Click() { m_forms.form5().openEyeLensDose(); }

void Form1::Command1_Click() { m_forms.form3().drawKermaMap(m_forms.state().resultSet); }

void Form1::setAngleChoices(const QStringList& angles, const QString& shown) {
    Combo1->clear();
    Combo1->addItems(angles);
    Combo1->setEditText(shown);
}

void Form1::Command10_Click() {
    // The loaded result's geometry; before any, the main form's case in the room panel's room.
    const app::ResultSet& set = m_forms.state().resultSet;
    m_forms.form4().showGeometry(set.fileName.empty() ? m_forms.form2().geometrySketch()
                                                      : resultGeometry(set));
    m_forms.form4().showModelessOver(this);
}

}  // namespace korvana::forms
