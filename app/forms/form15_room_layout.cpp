#include "app/forms/form15_room_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>
#include <cmath>
#include <limits>

#include "app/common/text_value.h"
#include "app/forms/form13_live_estimate.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/forms/scene_texts.h"
#include "app/widgets/controls.h"

namespace korvana::forms {

namespace {

constexpr int SHIELD_FAULT_COLUMN = 8;
constexpr int EYE_FAULT_COLUMN = 4;

QString numberText(double value) { return QString::number(value, 'g', 10); }

//! A cell's number; not a number (which the checks word) for anything else.
double cellNumber(const QString& text) {
    const std::string typed = text.toStdString();
    return app::isWholeNumber(typed) ? app::textValue(typed)
                                     : std::numeric_limits<double>::quiet_NaN();
}

QTableWidget* addTable(QWidget* parent, const char* name, const QStringList& headers,
                       TwipRect where) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setGeometry(where.toPixels());
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(twipsToPixels(330));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(static_cast<int>(headers.size()) - 1,
                                                    QHeaderView::Stretch);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    return table;
}

QCheckBox* addCheckBox(QWidget* parent, const char* name, const QString& caption, TwipRect where) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(where.toPixels());
    return box;
}

void setRow(QTableWidget* table, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

QString cellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

//! Where a fault's key points: the list, the element's index and the entry's
//! column in that element's row (-1: the element as a whole or the list).
struct FaultPlace {
    QString part;  //!< "shields", "eye_points", "table", "curtain"
    int index = -1;
    int column = -1;
};

FaultPlace placeOf(const std::string& key) {
    static const QRegularExpression element(
        QStringLiteral(R"(^(shields|eye_points)(?:\[(\d+)\](?:\.(\w+)(?:\[(\d)\])?)?)?$)"));
    const QString text = QString::fromStdString(key);
    FaultPlace place;
    const QRegularExpressionMatch m = element.match(text);
    if (!m.hasMatch()) {
        place.part = text.section(QLatin1Char('.'), 0, 0);
        return place;
    }
    place.part = m.captured(1);
    if (m.captured(2).isEmpty()) return place;
    place.index = m.captured(2).toInt();
    const QString entry = m.captured(3);
    const int axis = m.captured(4).isEmpty() ? 0 : m.captured(4).toInt();
    if (entry == QLatin1String("name")) place.column = 0;
    if (place.part == QLatin1String("shields")) {
        if (entry == QLatin1String("lead_mm")) place.column = 1;
        if (entry == QLatin1String("centre_cm")) place.column = 2 + axis;
        if (entry == QLatin1String("width_cm")) place.column = 5;
        if (entry == QLatin1String("height_cm")) place.column = 6;
        if (entry == QLatin1String("tilt_deg")) place.column = 7;
    } else if (entry == QLatin1String("position_cm")) {
        place.column = 1 + axis;
    }
    return place;
}

const QColor FAULT_BACKGROUND(255, 205, 205);

}  // namespace

Form15::Form15(Forms& forms)
    : Form("Form15", QStringLiteral("部屋の配置"), 13200, 9000),
      Grid1(addTable(
          page(), "Grid1",
          {QStringLiteral("名前"), QStringLiteral("鉛当量 (mm Pb)"), QStringLiteral("中心 x (cm)"),
           QStringLiteral("中心 y (cm)"), QStringLiteral("中心 z (cm)"), QStringLiteral("幅 (cm)"),
           QStringLiteral("高さ (cm)"), QStringLiteral("傾き (度)"), QStringLiteral("確認")},
          {120, 480, 12960, 1860})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("遮へい板を追加"),
                                {120, 2400, 2400, 420})),
      Command2(addCommandButton(page(), "Command2", QStringLiteral("選んだ遮へい板を削除"),
                                {2640, 2400, 2880, 420})),
      Check1(addCheckBox(page(), "Check1", QStringLiteral("寝台（天板）"), {120, 3060, 1800, 360})),
      Text1(addTextBox(page(), "Text1", {3360, 3060, 900, 360})),
      Combo1(addComboBox(page(), "Combo1", {4920, 3060, 3360, 360})),
      Text2(addTextBox(page(), "Text2", {9360, 3060, 900, 360})),
      Label3(addLabel(page(), "Label3", {}, {120, 3480, 12960, 660})),
      Check2(addCheckBox(page(), "Check2",
                         QStringLiteral("カーテンの幅を限る（限らなければ y 方向に無限）"),
                         {120, 4260, 5400, 360})),
      Text3(addTextBox(page(), "Text3", {6600, 4260, 900, 360})),
      Text4(addTextBox(page(), "Text4", {9360, 4260, 900, 360})),
      Label4(addLabel(page(), "Label4", {}, {120, 4680, 12960, 360})),
      Grid2(addTable(page(), "Grid2",
                     {QStringLiteral("名前"), QStringLiteral("x (cm)"), QStringLiteral("y (cm)"),
                      QStringLiteral("z (cm)"), QStringLiteral("確認")},
                     {120, 5400, 12960, 1680})),
      Command3(addCommandButton(page(), "Command3", QStringLiteral("目の位置を追加"),
                                {120, 7140, 2400, 420})),
      Command4(addCommandButton(page(), "Command4", QStringLiteral("選んだ目の位置を削除"),
                                {2640, 7140, 2880, 420})),
      Label5(addLabel(page(), "Label5", {}, {120, 7740, 10800, 900})),
      Command5(
          addCommandButton(page(), "Command5", QStringLiteral("閉じる"), {11160, 8160, 1920, 480})),
      m_forms(forms) {
    addLabel(
        page(), "Label1",
        QStringLiteral("遮へい板（天井懸垂など）: 傾き 0 で x 一定の面、幅は y 方向、高さは "
                       "z 方向。座標は照射野中心・入射表面が原点、+z はビーム方向、+x は作業者側"),
        {120, 120, 12960, 330});
    addLabel(page(), "Label6", QStringLiteral("Al 当量 (mm)"), {1980, 3090, 1320, 330});
    addLabel(page(), "Label7", QStringLiteral("側"), {4380, 3090, 480, 330});
    addLabel(page(), "Label8", QStringLiteral("幅 x (cm)"), {8400, 3090, 900, 330});
    addLabel(page(), "Label9", QStringLiteral("幅 (cm)"), {5640, 4290, 900, 330});
    addLabel(page(), "Label10", QStringLiteral("中心 y (cm)"), {8160, 4290, 1140, 330});
    addLabel(
        page(), "Label2",
        QStringLiteral("目の位置（水晶体線量を求める点、作業者側 x > 15 cm、点検出器推定で計算）"),
        {120, 5040, 12960, 330});
    Combo1->setEditable(false);
    Combo1->addItems(
        {QStringLiteral("射出側（管球が寝台の上）"), QStringLiteral("入射側（管球が寝台の下）")});
    for (QLabel* label : {Label3, Label4, Label5}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    Grid1->setColumnWidth(0, twipsToPixels(1500));

    connect(Grid1, &QTableWidget::itemChanged, this, [this] { takeEdits(); });
    connect(Grid2, &QTableWidget::itemChanged, this, [this] { takeEdits(); });
    for (QCheckBox* box : {Check1, Check2}) {
        connect(box, &QCheckBox::toggled, this, [this] { takeEdits(); });
    }
    for (QLineEdit* box : {Text1, Text2, Text3, Text4}) {
        connect(box, &QLineEdit::textChanged, this, [this] { takeEdits(); });
    }
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { takeEdits(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    setClosedByEscape();
    showScene();
}

bool Form15::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) showFaults();
    return Form::event(event);
}

void Form15::openRoomLayout() {
    showScene();
    showModelessOver(&m_forms.form2());
}

template <class Element>
std::string Form15::freshName(const std::vector<Element>& elements, const QString& stem) {
    for (int n = static_cast<int>(elements.size()) + 1;; ++n) {
        const std::string name = (stem + QString::number(n)).toStdString();
        bool taken = false;
        for (const Element& e : elements) taken = taken || e.name == name;
        if (!taken) return name;
    }
}

void Form15::Command1_Click() {
    SceneDescription& scene = m_forms.state().scene;
    // A ceiling shield between the object and the worker's eyes.
    SceneShield shield;
    shield.name = freshName(scene.shields, QStringLiteral("遮へい板"));
    shield.leadMm = 0.5;
    shield.centreCm = {55, 0, -45};
    shield.widthCm = 60;
    shield.heightCm = 75;
    scene.shields.push_back(shield);
    showScene();
    takeEdits();
    Grid1->setCurrentCell(Grid1->rowCount() - 1, 1);
}

void Form15::Command2_Click() {
    SceneDescription& scene = m_forms.state().scene;
    const int row = Grid1->currentRow();
    if (row < 0 || row >= static_cast<int>(scene.shields.size())) return;
    scene.shields.erase(scene.shields.begin() + row);
    showScene();
    takeEdits();
}

void Form15::Command3_Click() {
    SceneDescription& scene = m_forms.state().scene;
    SceneEyePoint eye;
    eye.name = freshName(scene.eyePoints, QStringLiteral("術者"));
    eye.positionCm = {60, 30, -40};  // beside the object, above its entrance surface
    scene.eyePoints.push_back(eye);
    showScene();
    takeEdits();
    Grid2->setCurrentCell(Grid2->rowCount() - 1, 1);
}

void Form15::Command4_Click() {
    SceneDescription& scene = m_forms.state().scene;
    const int row = Grid2->currentRow();
    if (row < 0 || row >= static_cast<int>(scene.eyePoints.size())) return;
    scene.eyePoints.erase(scene.eyePoints.begin() + row);
    showScene();
    takeEdits();
}

void Form15::showScene() {
    m_showing = true;
    const SceneDescription& scene = m_forms.state().scene;
    Grid1->setRowCount(static_cast<int>(scene.shields.size()));
    for (int row = 0; row < Grid1->rowCount(); ++row) {
        const SceneShield& s = scene.shields[static_cast<std::size_t>(row)];
        setRow(Grid1, row,
               {QString::fromStdString(s.name), numberText(s.leadMm), numberText(s.centreCm[0]),
                numberText(s.centreCm[1]), numberText(s.centreCm[2]), numberText(s.widthCm),
                numberText(s.heightCm), numberText(s.tiltDeg), QString()});
    }
    Grid2->setRowCount(static_cast<int>(scene.eyePoints.size()));
    for (int row = 0; row < Grid2->rowCount(); ++row) {
        const SceneEyePoint& e = scene.eyePoints[static_cast<std::size_t>(row)];
        setRow(Grid2, row,
               {QString::fromStdString(e.name), numberText(e.positionCm[0]),
                numberText(e.positionCm[1]), numberText(e.positionCm[2]), QString()});
    }
    Check1->setChecked(scene.table.has_value());
    const SceneTable table = scene.table.value_or(SceneTable{1.2, TableSide::Exit, 50});
    Text1->setText(numberText(table.alEquivalentMm));
    Combo1->setCurrentIndex(table.side == TableSide::Exit ? 0 : 1);
    Text2->setText(numberText(table.widthCm));
    Check2->setChecked(scene.curtain.has_value());
    const SceneCurtain curtain = scene.curtain.value_or(SceneCurtain{90, 0});
    Text3->setText(numberText(curtain.widthCm));
    Text4->setText(numberText(curtain.centreYCm));
    for (QLineEdit* box : {Text1, Text2}) box->setEnabled(Check1->isChecked());
    Combo1->setEnabled(Check1->isChecked());
    for (QLineEdit* box : {Text3, Text4}) box->setEnabled(Check2->isChecked());
    m_showing = false;
    showFaults();
}

void Form15::takeEdits() {
    if (m_showing) return;
    SceneDescription& scene = m_forms.state().scene;
    for (int row = 0; row < Grid1->rowCount() && row < static_cast<int>(scene.shields.size());
         ++row) {
        SceneShield& s = scene.shields[static_cast<std::size_t>(row)];
        s.name = cellText(Grid1, row, 0).toStdString();
        s.leadMm = cellNumber(cellText(Grid1, row, 1));
        for (int axis = 0; axis < 3; ++axis) {
            s.centreCm[static_cast<std::size_t>(axis)] = cellNumber(cellText(Grid1, row, 2 + axis));
        }
        s.widthCm = cellNumber(cellText(Grid1, row, 5));
        s.heightCm = cellNumber(cellText(Grid1, row, 6));
        s.tiltDeg = cellNumber(cellText(Grid1, row, 7));
    }
    for (int row = 0; row < Grid2->rowCount() && row < static_cast<int>(scene.eyePoints.size());
         ++row) {
        SceneEyePoint& e = scene.eyePoints[static_cast<std::size_t>(row)];
        e.name = cellText(Grid2, row, 0).toStdString();
        for (int axis = 0; axis < 3; ++axis) {
            e.positionCm[static_cast<std::size_t>(axis)] =
                cellNumber(cellText(Grid2, row, 1 + axis));
        }
    }
    scene.table.reset();
    if (Check1->isChecked()) {
        scene.table =
            SceneTable{cellNumber(Text1->text()),
                       Combo1->currentIndex() == 1 ? TableSide::Entrance : TableSide::Exit,
                       cellNumber(Text2->text())};
    }
    scene.curtain.reset();
    if (Check2->isChecked()) {
        scene.curtain = SceneCurtain{cellNumber(Text3->text()), cellNumber(Text4->text())};
    }
    for (QLineEdit* box : {Text1, Text2}) box->setEnabled(Check1->isChecked());
    Combo1->setEnabled(Check1->isChecked());
    for (QLineEdit* box : {Text3, Text4}) box->setEnabled(Check2->isChecked());
    showFaults();
    m_forms.form2().sceneChanged();
    m_forms.form13().sceneChanged();
}

void Form15::showFaults() {
    const SceneDescription& scene = m_forms.state().scene;
    const double thickness = m_forms.form2().geometrySketch().phantomThicknessCm;
    const std::vector<SceneFault> faults = roomFaults(scene, thickness);

    const QSignalBlocker quiet1(Grid1);
    const QSignalBlocker quiet2(Grid2);
    for (QTableWidget* grid : {Grid1, Grid2}) {
        const int faultColumn = grid == Grid1 ? SHIELD_FAULT_COLUMN : EYE_FAULT_COLUMN;
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                if (QTableWidgetItem* item = grid->item(row, column)) {
                    item->setBackground(QBrush());
                    item->setToolTip({});
                }
            }
            auto* check = new QTableWidgetItem(QStringLiteral("OK"));
            check->setFlags(check->flags() & ~Qt::ItemIsEditable);
            check->setForeground(QColor(0, 120, 0));
            grid->setItem(row, faultColumn, check);
        }
    }

    m_faults.clear();
    QString tableFaults;
    QString curtainFaults;
    QString listFaults;
    for (const SceneFault& fault : faults) {
        const FaultPlace place = placeOf(fault.key);
        const QString why = sceneFaultText(fault);
        QTableWidget* grid = place.part == QLatin1String("shields")      ? Grid1
                             : place.part == QLatin1String("eye_points") ? Grid2
                                                                         : nullptr;
        if (grid && place.index >= 0 && place.index < grid->rowCount()) {
            const int faultColumn = grid == Grid1 ? SHIELD_FAULT_COLUMN : EYE_FAULT_COLUMN;
            QTableWidgetItem* check = grid->item(place.index, faultColumn);
            const bool first = check->text() == QLatin1String("OK");
            check->setText(first ? why : check->text() + QStringLiteral(" / ") + why);
            check->setForeground(QColor(200, 0, 0));
            check->setToolTip(check->text());
            if (place.column >= 0) {
                if (QTableWidgetItem* item = grid->item(place.index, place.column)) {
                    item->setBackground(FAULT_BACKGROUND);
                    item->setToolTip(why);
                }
            }

        } else if (place.part == QLatin1String("table")) {
            tableFaults += why + QLatin1Char(' ');
        } else if (place.part == QLatin1String("curtain")) {
            curtainFaults += why + QLatin1Char(' ');
        } else {
            listFaults += why + QLatin1Char(' ');
        }
        m_faults << sceneFaultPlaceText(fault) + QStringLiteral(": ") + why;
    }

    // The table under the couch lies in the primary beam: the beam's
    // filtration holds it, as the engine scores only what it scatters.
    QString tableNote;
    if (scene.table && scene.table->side == TableSide::Entrance) {
        tableNote = QStringLiteral(
                        "入射側の寝台は一次線束の中にあります。Ｘ線のろ過に寝台を含めて下さい"
                        "（主画面のアルミ付加フィルタに Al 当量 %1 mm を加えて、スペクトルを"
                        "計算し直す）。")
                        .arg(numberText(scene.table->alEquivalentMm));
    }
    Label3->setText(tableFaults.isEmpty() ? tableNote : tableFaults);
    Label3->setStyleSheet(tableFaults.isEmpty() ? QStringLiteral("color: rgb(0, 0, 160);")
                                                : QStringLiteral("color: rgb(200, 0, 0);"));
    Label4->setText(curtainFaults);
    Label4->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    if (m_faults.isEmpty()) {
        Label5->setText(QStringLiteral("部屋の配置: ") + sceneSummaryText(scene) +
                        QStringLiteral("。この配置で計算できます。"));
        Label5->setStyleSheet({});
    } else {
        // The first in full: a row's cell shows only its beginning.
        Label5->setText(QStringLiteral("直すところが %1 件あります（赤の欄）。%2\n%3")
                            .arg(m_faults.size())
                            .arg(listFaults, m_faults.front()));
        Label5->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    }
}

}  // namespace korvana::forms
