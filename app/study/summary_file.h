// OUT/summary.csv: one row per condition of a study, as it completes.
//
// The CSV convention of common/csv.h, one header line. Columns, in this order:
//   condition, condition_count   the condition's place k in the study of n
//   folder                       its folder under OUT
//   thickness_cm ... histories   the inputs as given (study_options.h)
//   estimator                    passed to the engine; empty for its default
//   hvl1_mm_al, eeff_kev         first half-value layer and effective energy (HVL_S2.dat)
//   kerma_30 ... kerma_150       air kerma ratio [Gy per Gy] at the nine measuring points
//   kerma_30_rel_err_percent ... their relative standard errors [%]
//   kerma_30_unstable ...        1 where that error is itself unreliable (a high
//                                variance of the variance, or one history making
//                                much of the tally), else 0
//   eye_lens_45 ... eye_lens_135 eye lens dose [Gy per Gy] without glasses, to the
//                                kermas' four significant digits
//   eye_lens_45_rel_err_percent ...
//   eye_lens_glasses_45 ...      with 0.07 mm Pb glasses
//   eye_lens_glasses_45_rel_err_percent ...
// and, only when the study is given a workload (--kap or --entrance-kerma with
// --procedures), the year's eye lens dose Hp(3) [mSv] (annual_eye_lens_dose.h):
//   annual_eye_lens_45_msv ... _135_msv            without glasses
//   annual_eye_lens_45_msv_rel_err_percent ...      [%], the kerma's
//   annual_eye_lens_glasses_45_msv ...              with 0.07 mm Pb glasses
//   annual_eye_lens_glasses_45_msv_rel_err_percent ...
//   procedures_below_20_msv_45 ...                  most procedures a year below
//                                                   20 mSv without glasses (empty
//                                                   for no limit, annual_eye_lens_dose.h)
//   procedures_below_20_msv_glasses_45 ...          with glasses
//   annual_eye_position_msv, _rel_err_percent, annual_eye_position_glasses_msv,
//   _rel_err_percent,
//   procedures_below_20_msv_eye_position, procedures_below_20_msv_glasses_eye_position
//                                                   at --eye X,Z (empty without it)
// Without a workload the file has no annual columns, and a study given none
// reads and continues such a summary.
// and, only when the study has a scene (--scene or the case's), its inputs
// and one pair of columns per eye point, in the scene's order:
//   shield_lead_mm, shield_x_cm, shield_z_cm, eye_height_cm
//                                the scene's inputs as run (study_options.h);
//                                empty when the scene has nothing they move
//   eye_point_NAME_air_kerma_ratio     air kerma ratio [Gy per Gy] at the eye point
//   eye_point_NAME_rel_err_percent     its relative standard error [%]
//                                (NAME.points.csv beside the condition's result)
// A study without a scene writes the columns of earlier versions, unchanged.
//   status                       "ok" or "failed: reason"; after "ok", ", kv corrected
//                                200 -> 149.5" when the main form's corrections changed
//                                a given value (the input columns hold the values run)
//                                and ", unstable tallies" when some kerma_N_unstable is 1
//                                or an eye point's error is unreliable
// Numbers are written in the shortest form that reads back to the same double;
// an empty cell has no value (no .unc.csv beside the result, a dose 0/0, a
// failed condition). The file is rewritten whole under a temporary name at
// every row, so an interrupted study never leaves half a line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/results/annual_eye_lens_dose.h"
#include "app/study/study_options.h"
#include "common/points_file.h"
#include "common/result_layout.h"

namespace korvana::study {

inline constexpr const char* SUMMARY_FILE = "summary.csv";
inline constexpr int KERMA_POINTS = POINT_COUNT;      //!< 30, 45, ..., 150 degrees
inline constexpr int EYE_POINTS = SHOWN_POINT_COUNT;  //!< 45, 60, ..., 135 degrees

//! What one completed condition gave.
struct ConditionResult {
    double firstHvlMmAl = 0;                                        //!< [mm Al]
    double effectiveEnergyKev = 0;                                  //!< [keV]
    std::array<double, KERMA_POINTS> kerma{};                       //!< [Gy per Gy]
    std::array<std::optional<double>, KERMA_POINTS> kermaRelErr{};  //!< relative
    std::array<std::optional<bool>, KERMA_POINTS> kermaUnstable{};  //!< error itself unreliable
    std::array<std::optional<double>, EYE_POINTS> eyeLens{};        //!< [Gy per Gy]
    std::array<std::optional<double>, EYE_POINTS> eyeLensRelErr{};
    std::array<std::optional<double>, EYE_POINTS> eyeLensGlasses{};
    std::array<std::optional<double>, EYE_POINTS> eyeLensGlassesRelErr{};
    //! The year's doses when the study has a workload: the seven angles, then
    //! the eye position when given.
    std::optional<std::vector<app::AnnualDosePoint>> annual;
    //! The eye points of the condition's room (NAME.points.csv), in its order.
    std::vector<EyePointResult> eyePoints;
};

//! Which optional columns a summary has.
struct SummaryLayout {
    bool workload = false;               //!< the annual columns
    bool scene = false;                  //!< the scene's inputs
    std::vector<std::string> eyePoints;  //!< the eye points' names, a pair of columns each
    bool operator==(const SummaryLayout&) const = default;
};

//! The columns of a summary without a scene, with or without the annual ones.
SummaryLayout layoutWithoutScene(bool withWorkload);

//! The columns of a study of these options.
SummaryLayout summaryLayout(const StudyOptions& options);

//! A row as its cells, in header order.
using SummaryRow = std::vector<std::string>;

//! The status of a completed condition starts with "ok".
bool statusIsOk(std::string_view status);

//! The header; with the annual columns before status when `withWorkload`.
const std::vector<std::string>& summaryHeader(bool withWorkload = false);
//! Index of a column: every column but status has the same index in both
//! headers; status is the one of the header without the annual columns (it
//! is the last cell of every row). Throws std::out_of_range for an unknown name.
std::size_t summaryColumn(std::string_view name);
//! Whether a row has the annual columns (a row of a summary without a scene).
bool rowHasWorkload(const SummaryRow& row);

//! The header of a layout; summaryHeader(bool) for one without a scene.
std::vector<std::string> summaryHeaderOf(const SummaryLayout& layout);
//! Index of a column in a layout's header. Throws std::out_of_range for a
//! name the layout does not have.
std::size_t summaryColumnOf(const SummaryLayout& layout, std::string_view name);
//! A row's cell by its column's name in its layout ("status" included).
const std::string& cellOf(const SummaryRow& row, const SummaryLayout& layout,
                          std::string_view column);
//! The cell of an input; empty for a scene input of a layout without a scene.
const std::string& inputCell(const SummaryRow& row, const SummaryLayout& layout, StudyInput input);

//! A row's cell by its column's name, "status" included (the last cell of
//! either header). Throws std::out_of_range for an unknown name.
const std::string& cellOf(const SummaryRow& row, std::string_view column);
//! The cell of an input (its column, study_options.h).
const std::string& inputCell(const SummaryRow& row, StudyInput input);
//! The status cell.
const std::string& rowStatus(const SummaryRow& row);

//! The row of a condition; `result` is empty for a failed condition, whose
//! status is "failed: " and the reason. The annual cells are there when
//! `withWorkload`, empty for a failed condition.
SummaryRow summaryRow(const Condition& condition, std::size_t conditionCount,
                      const std::optional<std::string>& estimator,
                      const std::optional<ConditionResult>& result, const std::string& failure,
                      bool withWorkload = false);
//! The row in `layout`: the scene's inputs from the condition, the eye
//! points' cells from the result by name (empty where it has none).
SummaryRow summaryRow(const Condition& condition, std::size_t conditionCount,
                      const std::optional<std::string>& estimator,
                      const std::optional<ConditionResult>& result, const std::string& failure,
                      const SummaryLayout& layout);

//! True when `row` is a completed run of exactly this condition (the same
//! inputs and estimator, status ok) with the columns of `withWorkload`.
bool rowCompletes(const SummaryRow& row, const Condition& condition,
                  const std::optional<std::string>& estimator, bool withWorkload = false);
bool rowCompletes(const SummaryRow& row, const Condition& condition,
                  const std::optional<std::string>& estimator, const SummaryLayout& layout);

//! The rows of a summary file, or none when there is no file. Either header
//! (with or without the annual columns) is read. Throws DataError naming the
//! file when its header is neither (another program or version wrote it) or a
//! row has another number of cells.
std::vector<SummaryRow> readSummary(const std::string& fileName);
//! Whether a summary file has the annual columns; none when there is no file.
std::optional<bool> summaryHasWorkload(const std::string& fileName);

//! A summary's rows and the layout its header gives (any layout
//! summaryHeaderOf writes); no rows and the layout without a scene or a
//! workload when there is no file.
struct SummaryTable {
    SummaryLayout layout;
    std::vector<SummaryRow> rows;
    bool exists = false;  //!< the file was there
};
SummaryTable readSummaryTable(const std::string& fileName);

//! Writes header and rows, sorted by their condition number.
void writeSummary(const std::string& fileName, std::vector<SummaryRow> rows,
                  bool withWorkload = false);
void writeSummary(const std::string& fileName, std::vector<SummaryRow> rows,
                  const SummaryLayout& layout);

//! The condition number of a row.
std::size_t rowCondition(const SummaryRow& row);

}  // namespace korvana::study
