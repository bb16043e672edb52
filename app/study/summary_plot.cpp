#include "app/study/summary_plot.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "app/study/plot_axis.h"
#include "common/data_error.h"

namespace korvana::study {

namespace {

constexpr int WIDTH = 760;                                        // [px]
constexpr int HEIGHT = 480;                                       // [px]
constexpr double LEFT = 90, RIGHT = 560, TOP = 50, BOTTOM = 410;  // plot area [px]
constexpr std::array<int, 2> PLOT_ANGLES = {90, 120};             // [degree]
const std::array<QColor, 8> LINE_COLOURS = {
    QColor(0, 0, 200),   QColor(200, 0, 0),   QColor(0, 140, 0), QColor(160, 0, 160),
    QColor(230, 120, 0), QColor(0, 150, 160), QColor(0, 0, 0),   QColor(120, 120, 120)};

// Fonts need a QGuiApplication; a command has none, so one is made for the
// plot on Qt's offscreen platform, which needs no display.
// Qt's start-up notes (no XDG_RUNTIME_DIR, no session) say nothing about the
// plot and would interleave with the study's console; its errors still show.
void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "korvana-study: Qt: %s\n", qPrintable(message));
    }
}

void ensureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const QtMessageHandler previous = qInstallMessageHandler(dropQtNotes);
    static int argc = 1;
    static char name[] = "korvana-study";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    qInstallMessageHandler(previous);
}

std::optional<double> numberOf(const std::string& cell) {
    double value = 0;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (cell.empty() || error != std::errc() || end != cell.data() + cell.size()) return {};
    if (!std::isfinite(value)) return {};  // "inf" or "nan" cannot be drawn
    return value;
}

std::string shortNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

std::string axisTitle(StudyInput input) {
    const InputDescription& d = describe(input);
    return *d.unit == '\0' ? d.option : std::string(d.option) + " [" + d.unit + "]";
}

}  // namespace

std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows) {
    std::vector<StudyInput> swept;
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        const auto input = static_cast<StudyInput>(n);
        std::set<std::string> values;
        for (const SummaryRow& row : rows) values.insert(row[inputColumn(input)]);
        if (values.size() > 1) swept.push_back(input);
    }
    return swept;
}

void writeSummaryPlot(const std::string& fileName, const std::vector<SummaryRow>& rows,
                      const std::vector<StudyInput>& swept) {
    ensureGuiApplication();
    const StudyInput xInput = swept.at(0);
    // With a workload the year's Hp(3) against the limit, otherwise the dose per Gy.
    const bool annual = !rows.empty() && rowHasWorkload(rows.front());
    const std::size_t xColumn = inputColumn(xInput);

    // x positions: the numbers themselves, or equal steps in study order.
    std::vector<std::string> xTexts;
    bool numericX = true;
    for (const SummaryRow& row : rows) {
        const std::string& text = row[xColumn];
        if (std::find(xTexts.begin(), xTexts.end(), text) == xTexts.end()) xTexts.push_back(text);
        numericX = numericX && numberOf(text).has_value();
    }
    const auto xOf = [&](const std::string& text) {
        return numericX ? *numberOf(text)
                        : static_cast<double>(std::find(xTexts.begin(), xTexts.end(), text) -
                                              xTexts.begin());
    };

    // One series per value of the second input (or one) and angle.
    struct Series {
        std::string label;
        QColor colour;
        bool dashed = false;
        std::vector<std::pair<double, std::optional<double>>> points;
    };
    std::vector<std::string> groups;
    if (swept.size() > 1) {
        for (const SummaryRow& row : rows) {
            const std::string& g = row[inputColumn(swept[1])];
            if (std::find(groups.begin(), groups.end(), g) == groups.end()) groups.push_back(g);
        }
    } else {
        groups.emplace_back();
    }
    std::vector<Series> series;
    std::vector<double> doses, xs;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (std::size_t a = 0; a < PLOT_ANGLES.size(); ++a) {
            Series s;
            s.colour = LINE_COLOURS[(swept.size() > 1 ? g : a) % LINE_COLOURS.size()];
            s.dashed = a == 1;
            s.label = std::to_string(PLOT_ANGLES[a]) + "°";
            if (swept.size() > 1) {
                const InputDescription& d = describe(swept[1]);
                s.label = std::string(d.option) + " " + groups[g] +
                          (*d.unit == '\0' ? "" : std::string(" ") + d.unit) + ", " + s.label;
            }
            const std::size_t column =
                annual ? summaryColumn("annual_eye_lens_" + std::to_string(PLOT_ANGLES[a]) + "_msv")
                       : summaryColumn("eye_lens_" + std::to_string(PLOT_ANGLES[a]));
            for (const SummaryRow& row : rows) {
                if (swept.size() > 1 && row[inputColumn(swept[1])] != groups[g]) continue;
                const double x = xOf(row[xColumn]);
                const std::optional<double> dose = numberOf(row[column]);
                s.points.emplace_back(x, dose);
                xs.push_back(x);
                if (dose) doses.push_back(*dose);
            }
            std::stable_sort(s.points.begin(), s.points.end(),
                             [](const auto& p, const auto& q) { return p.first < q.first; });
            series.push_back(std::move(s));
        }
    }
    Axis xAxis = fitAxis(xs, false);
    if (!numericX) {
        xAxis.low = -0.5;
        xAxis.high = static_cast<double>(xTexts.size()) - 0.5;
    }
    if (annual) doses.push_back(app::EYE_LENS_LIMIT_MSV);  // the limit's line stays in view
    const Axis yAxis = fitAxis(doses, true);
    const auto px = [&](double x) { return LEFT + xAxis.toUnit(x) * (RIGHT - LEFT); };
    const auto py = [&](double y) { return BOTTOM - yAxis.toUnit(y) * (BOTTOM - TOP); };

    QSvgGenerator generator;
    generator.setFileName(QString::fromStdString(fileName));
    generator.setSize(QSize(WIDTH, HEIGHT));
    generator.setViewBox(QRect(0, 0, WIDTH, HEIGHT));
    generator.setTitle(QStringLiteral("Eye lens dose against ") +
                       QString::fromStdString(describe(xInput).option));
    generator.setDescription(QStringLiteral("korvana-study summary plot"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "cannot be written (folder not writable?) - check the --out folder");
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, WIDTH, HEIGHT), Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRectF(LEFT, TOP, RIGHT - LEFT, BOTTOM - TOP));

    // Ticks and their labels.
    const auto text = [&](double x, double y, const std::string& s, int flags) {
        const QRectF box(x - 100, y - 10, 200, 20);
        QRectF where = box;
        if (flags & Qt::AlignRight) where = QRectF(x - 200, y - 10, 200, 20);
        if (flags & Qt::AlignLeft) where = QRectF(x, y - 10, 200, 20);
        painter.drawText(where, flags | Qt::AlignVCenter, QString::fromStdString(s));
    };
    if (numericX) {
        for (double t : linearTicks(xAxis)) {
            painter.drawLine(QPointF(px(t), BOTTOM), QPointF(px(t), BOTTOM - 5));
            text(px(t), BOTTOM + 14, shortNumber(t), Qt::AlignHCenter);
        }
    } else {
        for (std::size_t n = 0; n < xTexts.size(); ++n) {
            const double x = px(static_cast<double>(n));
            painter.drawLine(QPointF(x, BOTTOM), QPointF(x, BOTTOM - 5));
            text(x, BOTTOM + 14, xTexts[n], Qt::AlignHCenter);
        }
    }
    for (double t : yAxis.logarithmic ? logTicks(yAxis) : linearTicks(yAxis)) {
        painter.drawLine(QPointF(LEFT, py(t)), QPointF(LEFT + 5, py(t)));
        char label[32];
        std::snprintf(label, sizeof label, yAxis.logarithmic ? "%.0e" : "%.3g", t);
        text(LEFT - 6, py(t), label, Qt::AlignRight);
    }
    text((LEFT + RIGHT) / 2, BOTTOM + 40, axisTitle(xInput), Qt::AlignHCenter);
    painter.save();
    painter.translate(22, (TOP + BOTTOM) / 2);
    painter.rotate(-90);
    text(0, 0,
         annual ? "annual eye lens dose Hp(3) without glasses [mSv per year]"
                : "eye lens dose without glasses [Gy per Gy]",
         Qt::AlignHCenter);
    painter.restore();
    text((LEFT + RIGHT) / 2, TOP - 22,
         annual ? "Annual eye lens dose at 90° and 120° from the workload, limit 20 mSv per year"
                : "Eye lens dose at 90° and 120° per 1 Gy of primary air kerma at the entrance "
                  "surface",
         Qt::AlignHCenter);
    if (annual) {
        const double y = py(app::EYE_LENS_LIMIT_MSV);
        painter.setPen(QPen(Qt::black, 1.5, Qt::DashDotLine));
        painter.drawLine(QPointF(LEFT, y), QPointF(RIGHT, y));
        text(RIGHT - 4, y - 9, "20 mSv per year", Qt::AlignRight);
    }

    // The lines, broken where a value is missing, with a mark at every point.
    for (std::size_t n = 0; n < series.size(); ++n) {
        const Series& s = series[n];
        QPen pen(s.colour, 2, s.dashed ? Qt::DashLine : Qt::SolidLine);
        painter.setPen(pen);
        QPainterPath path;
        bool drawing = false;
        for (const auto& [x, dose] : s.points) {
            if (!dose || (yAxis.logarithmic && *dose <= 0)) {
                drawing = false;
                continue;
            }
            const QPointF p(px(x), py(*dose));
            drawing ? path.lineTo(p) : path.moveTo(p);
            drawing = true;
            painter.save();
            painter.setPen(QPen(s.colour, 1));
            painter.setBrush(s.dashed ? QBrush(Qt::white) : QBrush(s.colour));
            painter.drawEllipse(p, 3.5, 3.5);
            painter.restore();
        }
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        const double legendY = TOP + 10 + 20 * static_cast<double>(n);
        painter.drawLine(QPointF(RIGHT + 15, legendY), QPointF(RIGHT + 45, legendY));
        painter.setPen(QPen(Qt::black, 1));
        text(RIGHT + 52, legendY, s.label, Qt::AlignLeft);
    }
    painter.end();
    if (!QFile::exists(QString::fromStdString(fileName))) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "was not written (folder not writable?) - check the --out folder");
    }
}

}  // namespace korvana::study
