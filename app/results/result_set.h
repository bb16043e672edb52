// A result file of the engine as the viewers hold it, and its readers.
//
// The result file has 353 lines: per energy bin the incident and the nine
// scattered spectra (lines 1-300), the primary totals (301), per measuring
// point its peak, air kerma and air kerma ratio (302-310), the twelve run
// conditions (311-322) and the 21 x 31 distribution grid (323-353). Numbers
// are read free-form, one after another, as they stand in that order.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/results/constants.h"
#include "app/results/kerma_map.h"
#include "common/data_error.h"
#include "common/energy_grid.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana::app {

//! Values per energy bin 1..300 (bin i at i x 0.5 keV); element 0 is not a bin and stays 0.
using BinValues = std::array<double, GRID_BINS + 1>;
//! Values per angle index 1..9; element 0 is not an angle and stays 0.
using AngleValues = std::array<double, POINT_COUNT + 1>;

//! The run conditions of lines 311-322, in file order.
struct RunConditions {
    double phantomThicknessCm = 0.0;
    double focusSurfaceDistanceCm = 0.0;
    double fieldSizeYCm = 0.0;   //!< first field size (run file line 3)
    double fieldSizeXCm = 0.0;   //!< second field size (run file line 4)
    double curtainLeadMm = 0.0;  //!< [mm Pb] 0 when there is no curtain
    double curtainLengthCm = 0.0;
    double tubeVoltageKv = 0.0;
    double targetAngleDeg = 0.0;
    double inherentFiltrationMmAl = 0.0;
    double addedAluminiumMm = 0.0;
    double addedCopperMm = 0.0;
    double historyCount = 0.0;  //!< photons, as written to one significant digit
};

//! The twelve values in file order (line 311 first).
std::array<double, CONDITION_COUNT> conditionValues(const RunConditions& conditions);

//! A loaded result file. Spectra per bin, quantities per angle index k.
struct ResultSet {
    std::string fileName;         //!< the file it was loaded from
    BinValues primarySpectrum{};  //!< incident spectrum / primaryPeak (largest value 1)
    std::array<BinValues, POINT_COUNT + 1> scatterSpectra{};     //!< per k, / scatterPeak(k)
    std::array<BinValues, POINT_COUNT + 1> rawScatterSpectra{};  //!< per k, as stored (sum 1)
    double primaryPeak = 0.0;                                    //!< largest stored primary value
    AngleValues scatterPeak{};      //!< largest stored value of angle k
    double scatterPeakAll = 0.0;    //!< largest scatterPeak
    AngleValues pointKermaRatio{};  //!< [Gy per Gy at the entrance surface] air kerma at angle k
    RunConditions conditions;
    KermaGrid kermaGrid{};  //!< [Gy per Gy] lines 323-353
    KermaMap kermaMap;      //!< kermaGrid refined (refineKermaGrid)
    //! The engine's NAME.unc.csv (attachUncertainties); empty for a result without one.
    std::optional<UncertaintyTable> uncertainties;
    //! The room the run simulated, NAME.scene.json (attachScene); empty for a
    //! result without one, which was made for the scene without shields,
    //! table or eye points.
    std::optional<SceneDescription> scene;
    //! The eye points' results, NAME.points.csv (attachScene); empty for a
    //! result without eye points.
    std::optional<EyePointTable> eyePoints;
};

//! The run conditions of a result file: skips its first 310 lines and reads
//! twelve numbers. Throws DataError naming the file when it cannot be read,
//! is short or holds something else than a number there.
RunConditions readResultConditions(const std::string& fileName);

//! Reads the whole result file into a new set: the values in file order,
//! the peaks, the spectra scaled to their peaks (a spectrum that is 0
//! everywhere, as for a measuring point no photon reached, stays 0), and the
//! refined map. Throws DataError naming the file, line and column when the
//! file cannot be read, is short, holds an item that is not a number, or a
//! spectrum, kerma or grid value below 0.
ResultSet readResultSet(const std::string& fileName);
//! The same reading of a result's lines in memory (an in-process run's),
//! named `file.fileName`.
ResultSet resultSetFromLines(const TextLines& file);

//! readResultSet into `resultSet`, which is replaced only when the whole file
//! was read: on an error it keeps what it held.
void loadResultSet(const std::string& fileName, ResultSet& resultSet);

}  // namespace korvana::app
