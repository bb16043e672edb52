#include "app/results/eye_position.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "app/common/picture_format.h"
#include "app/results/constants.h"
#include "app/results/kerma_map.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double GRID_LAST_X_CM = GRID_FIRST_X + GRID_STEP * (GRID_COLUMNS - 1);

std::optional<double> plainNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    if (!std::isfinite(value)) return {};
    return value;
}

// The grid cell holding `position` along one axis: its first index (1-based,
// at most count - 1) and the fraction of the step beyond it.
std::pair<int, double> cellAlong(double position, double first, int count) {
    const double steps = (position - first) / GRID_STEP;
    const int index = std::clamp(static_cast<int>(std::floor(steps)), 0, count - 2);
    return {index + 1, steps - index};
}

}  // namespace

std::optional<EyePosition> parseEyePosition(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return {};
    const std::optional<double> x = plainNumber(text.substr(0, comma));
    const std::optional<double> z = plainNumber(text.substr(comma + 1));
    if (!x || !z) return {};
    return EyePosition{*x, *z};
}

bool isInsideGrid(const EyePosition& eye) {
    return eye.xCm >= GRID_FIRST_X && eye.xCm <= GRID_LAST_X_CM && eye.zCm >= GRID_FIRST_Z &&
           eye.zCm <= MAP_BOTTOM_Z_CM;
}

GridKerma interpolateGridKerma(const ResultSet& set, const EyePosition& eye) {
    if (!isInsideGrid(eye)) {
        throw DataError("the eye position (" + formatPicture(eye.xCm, "0.0##") + ", " +
                        formatPicture(eye.zCm, "0.0##") +
                        ") cm lies outside the distribution grid (x 50 to 150 cm, z -100 to "
                        "50 cm) - give a position within it");
    }
    const auto [n, fx] = cellAlong(eye.xCm, GRID_FIRST_X, GRID_COLUMNS);
    const auto [m, fz] = cellAlong(eye.zCm, GRID_FIRST_Z, GRID_ROWS);
    GridKerma result;
    double errorSum = 0;  // [Gy per Gy] weighted standard errors
    bool errorKnown = set.uncertainties.has_value();
    for (int dn = 0; dn <= 1; ++dn) {
        for (int dm = 0; dm <= 1; ++dm) {
            const double weight = (dn ? fx : 1 - fx) * (dm ? fz : 1 - fz);
            if (weight == 0) continue;
            const double value = set.kermaGrid[n + dn][m + dm];
            result.kermaRatio += weight * value;
            if (!set.uncertainties) continue;
            const KermaUncertainty& u =
                set.uncertainties->grid[static_cast<std::size_t>(n + dn - 1)]
                                       [static_cast<std::size_t>(m + dm - 1)];
            result.unstable = result.unstable || u.unstable;
            result.fewHistories = result.fewHistories || u.fewHistories;
            if (u.relStdError) {
                errorSum += weight * value * *u.relStdError;
            } else if (value != 0) {
                errorKnown = false;
            }
        }
    }
    if (errorKnown && result.kermaRatio > 0) {
        result.relStdErrorPercent = errorSum / result.kermaRatio * 100.0;
    }
    return result;
}

double directionAngleDeg(const EyePosition& eye) {
    return std::atan2(eye.xCm, eye.zCm) * 180.0 / std::numbers::pi;
}

int nearestShownAngle(const EyePosition& eye) {
    const double angle = directionAngleDeg(eye);
    int nearest = FIRST_SHOWN_ANGLE;
    for (int k = FIRST_SHOWN_ANGLE + 1; k <= LAST_SHOWN_ANGLE; ++k) {
        if (std::abs(angle - angleOfIndex(k)) < std::abs(angle - angleOfIndex(nearest))) {
            nearest = k;
        }
    }
    return nearest;
}

}  // namespace korvana::app
