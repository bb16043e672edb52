#include "app/results/kerma_uncertainty.h"

#include "app/common/picture_format.h"

namespace korvana::app {

namespace {

std::optional<double> percentOf(const KermaUncertainty& u) {
    if (!u.relStdError) return std::nullopt;
    return *u.relStdError * 100.0;
}

}  // namespace

void attachUncertainties(ResultSet& set) {
    set.uncertainties.reset();
    set.uncertainties = readUncertaintiesBeside(set.fileName);
}

std::optional<double> pointRelativeErrorPercent(const ResultSet& set, int angleIndex) {
    if (!set.uncertainties || angleIndex < 1 || angleIndex > POINT_COUNT) return std::nullopt;
    return percentOf(set.uncertainties->points[static_cast<std::size_t>(angleIndex - 1)]);
}

bool pointHasFewHistories(const ResultSet& set, int angleIndex) {
    if (!set.uncertainties || angleIndex < 1 || angleIndex > POINT_COUNT) return false;
    return set.uncertainties->points[static_cast<std::size_t>(angleIndex - 1)].fewHistories;
}

std::optional<double> mapRelativeErrorPercent(const std::optional<UncertaintyTable>& uncertainties,
                                              int mapColumn, int mapRow) {
    if (!uncertainties || mapColumn < 1 || mapColumn > MAP_COLUMNS || mapRow < 1 ||
        mapRow > MAP_ROWS) {
        return std::nullopt;
    }
    // Nearest grid point; a cell half-way between two takes the later one.
    const int column = (mapColumn - 1 + REFINE_STEPS / 2) / REFINE_STEPS;
    const int row = (mapRow - 1 + REFINE_STEPS / 2) / REFINE_STEPS;
    return percentOf(
        uncertainties->grid[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)]);
}

std::string relativeErrorText(double percent) {
    return "\u00b1" + formatPicture(percent, "0.0") + " %";
}

}  // namespace korvana::app
