#include "app/study/plot/summary_plot.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <cstdio>
#include <cstdlib>

#include "app/results/annual_eye_lens_dose.h"
#include "app/study/summary_series.h"
#include "common/data_error.h"

namespace korvana::study {

namespace {

constexpr int WIDTH = 760;                                        // [px]
constexpr int HEIGHT = 480;                                       // [px]
constexpr double LEFT = 90, RIGHT = 560, TOP = 50, BOTTOM = 410;  // plot area [px]
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

std::string shortNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

std::string axisTitle(StudyInput input) {
    const InputDescription& d = describe(input);
    return *d.unit == '\0' ? d.option : std::string(d.option) + " [" + d.unit + "]";
}

// The painter over the plot's data, with its coordinates.
class PlotPainter {
public:
    PlotPainter(QPainter& painter, const SummaryPlotData& plot) : m_p(painter), m_plot(plot) {}

    double px(double x) const { return LEFT + m_plot.xAxis.toUnit(x) * (RIGHT - LEFT); }
    double py(double y) const { return BOTTOM - m_plot.yAxis.toUnit(y) * (BOTTOM - TOP); }

    void text(double x, double y, const std::string& s, int flags) {
        QRectF where(x - 100, y - 10, 200, 20);
        if (flags & Qt::AlignRight) where = QRectF(x - 200, y - 10, 200, 20);
        if (flags & Qt::AlignLeft) where = QRectF(x, y - 10, 200, 20);
        m_p.drawText(where, flags | Qt::AlignVCenter, QString::fromStdString(s));
    }

    void drawFrame() {
        m_p.setRenderHint(QPainter::Antialiasing);
        m_p.fillRect(QRect(0, 0, WIDTH, HEIGHT), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        m_p.setFont(font);
        m_p.setPen(QPen(Qt::black, 1));
        m_p.drawRect(QRectF(LEFT, TOP, RIGHT - LEFT, BOTTOM - TOP));
    }

    void drawTicks() {
        if (m_plot.numericX) {
            for (double t : linearTicks(m_plot.xAxis)) xTick(px(t), shortNumber(t));
        } else {
            for (std::size_t n = 0; n < m_plot.xTexts.size(); ++n) {
                xTick(px(static_cast<double>(n)), m_plot.xTexts[n]);
            }
        }
        const Axis& y = m_plot.yAxis;
        for (double t : y.logarithmic ? logTicks(y) : linearTicks(y)) {
            m_p.drawLine(QPointF(LEFT, py(t)), QPointF(LEFT + 5, py(t)));
            char label[32];
            std::snprintf(label, sizeof label, y.logarithmic ? "%.0e" : "%.3g", t);
            text(LEFT - 6, py(t), label, Qt::AlignRight);
        }
    }

    void drawTitles() {
        text((LEFT + RIGHT) / 2, BOTTOM + 40, axisTitle(m_plot.xInput), Qt::AlignHCenter);
        m_p.save();
        m_p.translate(22, (TOP + BOTTOM) / 2);
        m_p.rotate(-90);
        const bool eyePoints = !m_plot.eyePoints.empty();
        text(0, 0,
             eyePoints       ? "air kerma ratio at the eye points [Gy per Gy]"
             : m_plot.annual ? "annual eye lens dose Hp(3) without glasses [mSv per year]"
                             : "eye lens dose without glasses [Gy per Gy]",
             Qt::AlignHCenter);
        m_p.restore();
        text((LEFT + RIGHT) / 2, TOP - 22,
             eyePoints ? "Air kerma at the eye points per 1 Gy of primary air kerma at the "
                         "entrance surface"
             : m_plot.annual
                 ? "Annual eye lens dose at 90° and 120° from the workload, limit 20 mSv per year"
                 : "Eye lens dose at 90° and 120° per 1 Gy of primary air kerma at the entrance "
                   "surface",
             Qt::AlignHCenter);
    }

    void drawLimit() {
        if (!m_plot.annual) return;
        const double y = py(app::EYE_LENS_LIMIT_MSV);
        m_p.setPen(QPen(Qt::black, 1.5, Qt::DashDotLine));
        m_p.drawLine(QPointF(LEFT, y), QPointF(RIGHT, y));
        text(RIGHT - 4, y - 9, "20 mSv per year", Qt::AlignRight);
    }

    // The line of series n, broken where a value is missing, with a mark at
    // every point, and its legend entry.
    void drawSeries(std::size_t n) {
        const PlotSeries& s = m_plot.series[n];
        const QColor colour = LINE_COLOURS[s.colourIndex % LINE_COLOURS.size()];
        m_p.setPen(QPen(colour, 2, s.dashed ? Qt::DashLine : Qt::SolidLine));
        QPainterPath path;
        bool drawing = false;
        for (const auto& [x, dose] : s.points) {
            if (!dose || (m_plot.yAxis.logarithmic && *dose <= 0)) {
                drawing = false;
                continue;
            }
            const QPointF p(px(x), py(*dose));
            drawing ? path.lineTo(p) : path.moveTo(p);
            drawing = true;
            m_p.save();
            m_p.setPen(QPen(colour, 1));
            m_p.setBrush(s.dashed ? QBrush(Qt::white) : QBrush(colour));
            m_p.drawEllipse(p, 3.5, 3.5);
            m_p.restore();
        }
        m_p.setBrush(Qt::NoBrush);
        m_p.drawPath(path);
        const double legendY = TOP + 10 + 20 * static_cast<double>(n);
        m_p.drawLine(QPointF(RIGHT + 15, legendY), QPointF(RIGHT + 45, legendY));
        m_p.setPen(QPen(Qt::black, 1));
        text(RIGHT + 52, legendY, s.label, Qt::AlignLeft);
    }

private:
    void xTick(double x, const std::string& label) {
        m_p.drawLine(QPointF(x, BOTTOM), QPointF(x, BOTTOM - 5));
        text(x, BOTTOM + 14, label, Qt::AlignHCenter);
    }

    QPainter& m_p;
    const SummaryPlotData& m_plot;
};

}  // namespace

void writeSummaryPlot(const std::string& fileName, const std::vector<SummaryRow>& rows,
                      const std::vector<StudyInput>& swept, const SummaryLayout& layout) {
    ensureGuiApplication();
    const SummaryPlotData plot = layout == SummaryLayout{} ? summaryPlotData(rows, swept)
                                                           : summaryPlotData(rows, swept, layout);

    QSvgGenerator generator;
    generator.setFileName(QString::fromStdString(fileName));
    generator.setSize(QSize(WIDTH, HEIGHT));
    generator.setViewBox(QRect(0, 0, WIDTH, HEIGHT));
    generator.setTitle(QStringLiteral("Eye lens dose against ") +
                       QString::fromStdString(describe(plot.xInput).option));
    generator.setDescription(QStringLiteral("korvana-study summary plot"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "cannot be written (folder not writable?) - check the --out folder");
    }
    PlotPainter draw(painter, plot);
    draw.drawFrame();
    draw.drawTicks();
    draw.drawTitles();
    draw.drawLimit();
    for (std::size_t n = 0; n < plot.series.size(); ++n) draw.drawSeries(n);
    painter.end();
    if (!QFile::exists(QString::fromStdString(fileName))) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "was not written (folder not writable?) - check the --out folder");
    }
}

}  // namespace korvana::study
