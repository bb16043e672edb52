// The end of a run: normalisation of the tallies and the 353-line result file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/grid_tables.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/uncertainty_file.h"
#include "engine/inputs/beam.h"
#include "engine/inputs/run_parameters.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/scores.h"

namespace korvana::engine {

struct RunTotals {
    float primaryKerma = 0;    //!< [keV/g] primary air kerma at the entrance surface
    float peakBinPhotons = 0;  //!< S(peakBin) x historyCount
    std::array<float, POINT_COUNT + 1> pointSpectrumPeak{};  //!< largest bin before normalisation
};

//! Normalises the tallies in place: grid kerma per disc area 4 pi, each point
//! spectrum to sum 1 (a point no photon reached keeps a spectrum of zeros).
RunTotals finishRun(Scores& scores, const PreparedSpectrum& spectrum,
                    const GridTable& airEnergyAbsorption, const RunParameters& run);

//! The result file's 353 lines, without line ends. Ratios to a primary kerma
//! of 0 are written as 0.
std::vector<std::string> resultFileLines(const RunTotals& totals, const Scores& scores,
                                         const PreparedSpectrum& spectrum, const RunParameters& run,
                                         const BeamDescriptor& beam);

//! The air kerma ratios the result file holds, before their rounding: point
//! 1..9 and grid cell (column 1..21, row 1..31), from finished scores.
float pointKermaRatio(const RunTotals& totals, const Scores& scores, int point);
float gridKermaRatio(const RunTotals& totals, const Scores& scores, int column, int row);

//! The uncertainty file's table for a finished run: the result file's ratios
//! with the relative errors of `moments`, and the estimator's name.
UncertaintyTable uncertaintyTableFor(const RunTotals& totals, const Scores& scores,
                                     const KermaMoments& moments, const std::string& estimator);

//! The air kerma ratio at eye point `eye` (0.., in the scene's order) of
//! finished scores, normalised as the measuring points' are.
float eyePointKermaRatio(const RunTotals& totals, const Scores& scores, int eye);

//! The eye points' table of a finished run (points_file.h): the scene's eye
//! points with their ratios and the errors of `moments`. The histories and
//! the result digest are the caller's.
EyePointTable eyePointTableFor(const RunTotals& totals, const Scores& scores,
                               const KermaMoments& moments, const SceneDescription& scene);

}  // namespace korvana::engine
