#include "app/results/kerma_uncertainty.h"

#include <cmath>

#include "app/common/picture_format.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

std::optional<double> percentOf(const KermaUncertainty& u) {
    if (!u.relStdError) return std::nullopt;
    return *u.relStdError * 100.0;
}

}  // namespace

namespace {

//! The result file writes each kerma to four significant digits; the
//! uncertainty file holds it unrounded. Both agree within half a unit of the
//! fourth digit when they come from the same run.
bool sameKerma(double unrounded, double written) {
    return std::fabs(unrounded - written) <= 5.001e-4 * std::fabs(unrounded) + 1e-300;
}

//! Whether the kermas of `table` are those of `set`: a check every version of
//! the file allows, beside the digest the current one carries.
std::string kermaMismatch(const ResultSet& set, const UncertaintyTable& table) {
    for (int k = 1; k <= POINT_COUNT; ++k) {
        if (!sameKerma(table.points[static_cast<std::size_t>(k - 1)].airKermaRatio,
                       set.pointKermaRatio[k])) {
            return "its air kerma at " + std::to_string(static_cast<int>(angleOfIndex(k))) +
                   " degrees";
        }
    }
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k) {
            const KermaUncertainty& cell =
                table.grid[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(k - 1)];
            if (!sameKerma(cell.airKermaRatio, set.kermaGrid[i][k])) return "its distribution grid";
        }
    }
    return {};
}

}  // namespace

void attachUncertainties(ResultSet& set) {
    set.uncertainties.reset();
    std::optional<UncertaintyTable> table = readUncertaintiesBeside(set.fileName);
    if (table) {
        if (const std::string mismatch = kermaMismatch(set, *table); !mismatch.empty()) {
            throw DataError(SourcePosition{uncertaintyFileName(set.fileName), 0, 0},
                            "belongs to another run than " + set.fileName + " (" + mismatch +
                                " differs from the result's) - its errors do not apply; run the "
                                "simulation again for errors");
        }
    }
    set.uncertainties = std::move(table);
}

std::optional<double> pointRelativeErrorPercent(const ResultSet& set, int angleIndex) {
    if (!set.uncertainties || angleIndex < 1 || angleIndex > POINT_COUNT) return std::nullopt;
    return percentOf(set.uncertainties->points[static_cast<std::size_t>(angleIndex - 1)]);
}

bool pointHasFewHistories(const ResultSet& set, int angleIndex) {
    if (!set.uncertainties || angleIndex < 1 || angleIndex > POINT_COUNT) return false;
    return set.uncertainties->points[static_cast<std::size_t>(angleIndex - 1)].fewHistories;
}

bool pointIsUnstable(const ResultSet& set, int angleIndex) {
    if (!set.uncertainties || angleIndex < 1 || angleIndex > POINT_COUNT) return false;
    return set.uncertainties->points[static_cast<std::size_t>(angleIndex - 1)].unstable;
}

const KermaUncertainty* nearestGridUncertainty(const std::optional<UncertaintyTable>& uncertainties,
                                               int mapColumn, int mapRow) {
    if (!uncertainties || mapColumn < 1 || mapColumn > MAP_COLUMNS || mapRow < 1 ||
        mapRow > MAP_ROWS) {
        return nullptr;
    }
    // Nearest grid point; a cell half-way between two takes the later one.
    const int column = (mapColumn - 1 + REFINE_STEPS / 2) / REFINE_STEPS;
    const int row = (mapRow - 1 + REFINE_STEPS / 2) / REFINE_STEPS;
    return &uncertainties->grid[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

std::optional<double> mapRelativeErrorPercent(const std::optional<UncertaintyTable>& uncertainties,
                                              int mapColumn, int mapRow) {
    const KermaUncertainty* u = nearestGridUncertainty(uncertainties, mapColumn, mapRow);
    if (!u) return std::nullopt;
    return percentOf(*u);
}

std::optional<std::string> estimatorOf(const ResultSet& set) {
    if (!set.uncertainties) return std::nullopt;
    return set.uncertainties->estimator;
}

std::string relativeErrorText(double percent) {
    return "\u00b1" + formatPicture(percent, "0.0") + " %";
}

}  // namespace korvana::app
