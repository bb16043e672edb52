// The statistical uncertainties of a result file: NAME.unc.csv beside NAME.data.
//
// Written by the engine, read by the result viewers, korvana-results and the
// study command. UTF-8 CSV with "." as decimal point, one header line, then
// one row per quantity: the nine measuring points (30 to 150 degrees) and the
// 21 x 31 cells of the distribution grid (x = 50..150 cm, z = -100..50 cm):
//
//   kind,angle_deg,x_cm,z_cm,air_kerma_ratio,rel_std_error,few_histories,estimator,vov,unstable,histories,result_digest
//   point,30,,,0.000123456,0.0123,0,analog,0.0021,0,1000000,3f2a9c0d5e6b7a81
//   grid,,50,-100,1.5e-05,0.2,1,analog,0.83,1,1000000,3f2a9c0d5e6b7a81
//
// air_kerma_ratio is the value the result file holds for the quantity, before
// its rounding to four digits; rel_std_error is the relative standard error of
// the mean (empty where the kerma is 0); few_histories is 1 when fewer than
// MIN_CONTRIBUTING_HISTORIES histories contributed; vov is the relative
// variance of the error's variance (empty where the kerma is 0), and unstable
// is 1 when the vov reaches 0.1 or a single history holds more than a tenth
// of the tally: then the error itself is unreliable. histories is the number
// of histories the run held, and result_digest the digest of the result file
// the run wrote (resultDigest): the file belongs to that result and no other.
//
// Files of earlier versions end after the estimator column: their tallies
// count as not unstable, and their pairing is judged by the viewers from the
// kermas alone. Older result files have no such file: readers treat it as
// optional.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_layout.h"

namespace korvana {

//! Below this many contributing histories the error estimate itself is flagged.
inline constexpr long long MIN_CONTRIBUTING_HISTORIES = 10;

struct KermaUncertainty {
    double airKermaRatio = 0;           //!< [Gy/Gy] as in the result file
    std::optional<double> relStdError;  //!< relative standard error; empty where the kerma is 0
    bool fewHistories = false;          //!< fewer than MIN_CONTRIBUTING_HISTORIES contributed
    std::optional<double> vov;          //!< relative variance of the variance; empty where unknown
    bool unstable = false;              //!< the error estimate is not to be trusted
};

struct UncertaintyTable {
    //! [0..8] = 30, 45, ..., 150 degrees
    std::array<KermaUncertainty, POINT_COUNT> points{};
    //! [column 0..20: x = 50..150 cm][row 0..30: z = -100..50 cm]
    std::array<std::array<KermaUncertainty, GRID_ROWS>, GRID_COLUMNS> grid{};
    std::string estimator =
        "analog";                  //!< ESTIMATOR_ANALOG or ESTIMATOR_NEXT_EVENT (engine_texts.h)
    bool hasQualityChecks = true;  //!< false for a file of an earlier version (no vov)
    long long histories = 0;       //!< histories of the run; 0 in an earlier version's file
    std::string resultDigest;      //!< of the result file; empty in an earlier version's file
};

//! The digest that pairs an uncertainty file with its result file: 64-bit
//! FNV-1a over the result file's lines, each followed by a line feed (so a
//! change of line ends alone does not part them), as 16 hexadecimal digits.
std::string resultDigest(const std::vector<std::string>& resultLines);

//! "x.data" -> "x.unc.csv"; any other name gets ".uncertainty.csv" appended,
//! so no two result names share one uncertainty file.
std::string uncertaintyFileName(std::string_view resultFileName);

//! Why `name` cannot be a result file's name because it is an uncertainty
//! file's (it ends in ".unc.csv" or ".uncertainty.csv": the result would
//! overwrite another result's errors); empty when it can.
std::string resultNameClash(std::string_view name);

//! The file's lines (without line ends), header first.
std::vector<std::string> uncertaintyFileLines(const UncertaintyTable& table);

//! Reads a whole uncertainty file. Every row must be present once; a
//! malformed file, or one holding a value no run can give (a negative kerma
//! or error, a relative error or vov beyond any a run reports), throws
//! DataError with its line and column.
UncertaintyTable readUncertaintyFile(const std::string& fileName);

//! The uncertainties beside a result file, or nothing when the result has no
//! uncertainty file (an older result). A damaged one, or one whose digest is
//! not the result file's (it belongs to another run), throws DataError.
std::optional<UncertaintyTable> readUncertaintiesBeside(const std::string& resultFileName);

}  // namespace korvana
