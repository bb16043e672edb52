// The eye points' results of a run: NAME.points.csv beside NAME.data.
//
// Written by the engine when the run's scene has eye points (scene_file.h),
// read by korvana-results, korvana-study and the windows. The CSV convention
// of csv.h, one header line, then one row per eye point in the scene's order:
//
//   name,x_cm,y_cm,z_cm,air_kerma_ratio,rel_err_percent,vov,unstable,histories,result_digest
//   operator,60,30,-40,0.000234567,1.23,0.0012,0,1000000,3f2a9c0d5e6b7a81
//
// air_kerma_ratio is the air kerma at the point per unit primary air kerma at
// the entrance surface (as the result file's points, unrounded);
// rel_err_percent its relative standard error in percent and vov the relative
// variance of that error's variance (both empty where the kerma is 0);
// unstable is 1 when the error itself is not to be trusted (the uncertainty
// file's rule). histories and result_digest pair the file with its result
// file as the uncertainty file's do (resultDigest).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvana {

struct EyePointResult {
    std::string name;
    std::array<double, 3> positionCm{};   //!< [cm] x, y, z
    double airKermaRatio = 0;             //!< [Gy/Gy]
    std::optional<double> relErrPercent;  //!< [%]; empty where the kerma is 0
    std::optional<double> vov;            //!< empty where the kerma is 0
    bool unstable = false;
    bool operator==(const EyePointResult&) const = default;
};

struct EyePointTable {
    std::vector<EyePointResult> points;
    long long histories = 0;
    std::string resultDigest;  //!< resultDigest of the result file (uncertainty_file.h)
    bool operator==(const EyePointTable&) const = default;
};

//! "x.data" -> "x.points.csv"; any other name gets ".points.csv" appended.
inline constexpr const char* POINTS_FILE_ENDING = ".points.csv";
std::string pointsFileName(std::string_view resultFileName);

//! The file's lines (without line ends), header first.
std::vector<std::string> pointsFileLines(const EyePointTable& table);

//! Reads a points file. A malformed row, a value no run gives, a name given
//! twice or rows of different runs throw DataError with line and column.
EyePointTable readPointsFile(const std::string& fileName);

//! The eye points beside a result file, or nothing when it has none (a run
//! without eye points). One whose digest is not the result file's throws
//! DataError: it belongs to another run.
std::optional<EyePointTable> readPointsBeside(const std::string& resultFileName);

}  // namespace korvana
