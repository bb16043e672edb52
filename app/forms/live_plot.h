// The live window's plot: air kerma ratio [Gy per Gy at the entrance surface]
// against the scattering angle, 30 to 150 degrees, on a logarithmic axis,
// each point with its error bar of one standard error; the pinned state in
// orange beside the current one in blue (the grid's lines are grey, so
// neither curve shares a colour with them), named by a legend below the frame.
//
// User coordinates: x is the angle [degree] over 0 to 170 (the frame from 20
// to 160), y is log10 of the ratio, the axis spanning the whole decades that
// hold every point and bar shown.
#pragma once

#include <QColor>
#include <optional>

#include "app/results/result_set.h"

namespace korvana::forms {

class PictureBox;

//! One curve: the nine ratios and their relative errors [%] (0 when unknown).
struct KermaCurve {
    app::AngleValues kermaRatio{};
    app::AngleValues relErrorPercent{};
};

//! The curve of a result with uncertainties.
KermaCurve kermaCurveOf(const app::ResultSet& set);

inline const QColor CURRENT_CURVE_COLOUR(0, 0, 255);
inline const QColor PINNED_CURVE_COLOUR(230, 120, 0);

//! Decades [lowest, highest] of log10 that hold both curves with their bars.
std::pair<int, int> plotDecades(const KermaCurve* current, const KermaCurve* pinned);

//! Clears `picture` and draws the frame, the axes and the curves present.
void drawKermaPlot(PictureBox& picture, const KermaCurve* current, const KermaCurve* pinned);

}  // namespace korvana::forms
