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
