#include "app/forms/live_plot.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/results/kerma_uncertainty.h"
#include "app/widgets/picture_box.h"

namespace korvana::forms {

namespace {

constexpr double FRAME_LEFT_DEG = 20;
constexpr double FRAME_RIGHT_DEG = 160;
constexpr double FIRST_ANGLE_DEG = 30;
constexpr double ANGLE_STEP_DEG = 15;

double angleOf(int k) { return FIRST_ANGLE_DEG + ANGLE_STEP_DEG * (k - 1); }

void drawCurve(PictureBox& p, const KermaCurve& curve, const QColor& colour, double shiftDeg,
               double bottom) {
    std::optional<QPointF> previous;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        const double value = curve.kermaRatio[k];
        if (!(value > 0)) {
            previous.reset();
            continue;
        }
        const double x = angleOf(k) + shiftDeg;
        const double y = std::log10(value);
        const double error = value * curve.relErrorPercent[k] / 100;
        const double low = value - error > 0 ? std::log10(value - error) : bottom;
        const double high = std::log10(value + error);
        p.setDrawWidth(1);
        p.line(x, low, x, high, colour);
        p.line(x - 1.2, low, x + 1.2, low, colour);
        p.line(x - 1.2, high, x + 1.2, high, colour);
        p.setDrawWidth(2);
        if (previous) p.line(previous->x(), previous->y(), x, y, colour);
        p.filledRectangle(x - 1.3, y - 0.02, x + 1.3, y + 0.02, colour);
        previous = QPointF(x, y);
    }
}

}  // namespace

KermaCurve kermaCurveOf(const app::ResultSet& set) {
    KermaCurve curve;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        curve.kermaRatio[k] = set.pointKermaRatio[k];
        curve.relErrorPercent[k] = app::pointRelativeErrorPercent(set, k).value_or(0);
    }
    return curve;
}

std::pair<int, int> plotDecades(const KermaCurve* current, const KermaCurve* pinned) {
    double low = INFINITY;
    double high = -INFINITY;
    for (const KermaCurve* curve : {current, pinned}) {
        if (!curve) continue;
        for (int k = 1; k <= POINT_COUNT; ++k) {
            const double value = curve->kermaRatio[k];
            if (!(value > 0)) continue;
            const double error = value * curve->relErrorPercent[k] / 100;
            low = std::min(low, std::log10(value - error > 0 ? value - error : value));
            high = std::max(high, std::log10(value + error));
        }
    }
    if (!(low <= high)) return {-6, -3};
    int lowest = static_cast<int>(std::floor(low));
    int highest = static_cast<int>(std::ceil(high));
    if (highest <= lowest) highest = lowest + 1;
    return {lowest, highest};
}

void drawKermaPlot(PictureBox& p, const KermaCurve* current, const KermaCurve* pinned) {
    const auto [lowest, highest] = plotDecades(current, pinned);
    const double span = highest - lowest;
    // Room for the labels: a fifth of the span below and a tenth above.
    p.setScale(0, highest + 0.1 * span, 170, -(1.3 * span));
    p.clear();
    const QColor grid(210, 210, 210);
    for (int decade = lowest; decade <= highest; ++decade) {
        for (int m = 2; m <= 9 && decade < highest; ++m) {
            const double y = decade + std::log10(m);
            p.line(FRAME_LEFT_DEG, y, FRAME_RIGHT_DEG, y, grid);
        }
        p.line(FRAME_LEFT_DEG, decade, FRAME_RIGHT_DEG, decade, QColor(150, 150, 150));
        p.text(2, decade + 0.04 * span, QStringLiteral("1E%1").arg(decade));
    }
    for (int k = 1; k <= POINT_COUNT; ++k) {
        const double x = angleOf(k);
        p.line(x, lowest, x, highest, grid);
        p.text(x - 4, lowest - 0.03 * span, QString::number(static_cast<int>(x)));
    }
    p.text(70, lowest - 0.12 * span, QStringLiteral("散乱角 (度)"));
    p.text(FRAME_LEFT_DEG + 2, highest + 0.09 * span,
           QStringLiteral("空気カーマ比 (Gy/Gy、入射表面 1 Gy あたり)"));
    p.setDrawWidth(1);
    p.rectangle(FRAME_LEFT_DEG, highest, FRAME_RIGHT_DEG, lowest, Qt::black);
    if (pinned) drawCurve(p, *pinned, PINNED_CURVE_COLOUR, -1.5, lowest);
    if (current) drawCurve(p, *current, CURRENT_CURVE_COLOUR, pinned ? 1.5 : 0, lowest);
    if (pinned) {
        // The legend, right of the axis title below the frame, where no curve goes.
        const double y = lowest - 0.12 * span;
        const double mid = y - 0.035 * span;  // the middle of the text line
        const struct {
            double x;
            const QColor& colour;
            QString name;
        } entries[] = {{112, PINNED_CURVE_COLOUR, QStringLiteral("固定")},
                       {137, CURRENT_CURVE_COLOUR, QStringLiteral("現在")}};
        p.setDrawWidth(2);
        for (const auto& entry : entries) {
            p.line(entry.x, mid, entry.x + 7, mid, entry.colour);
            p.filledRectangle(entry.x + 2.2, mid - 0.02 * span, entry.x + 4.8, mid + 0.02 * span,
                              entry.colour);
            p.text(entry.x + 9, y, entry.name, entry.colour);
        }
        p.setDrawWidth(1);
    }
}

}  // namespace korvana::forms
