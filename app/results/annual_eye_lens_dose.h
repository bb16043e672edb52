// The worker's question: this year's eye lens dose from the procedures done,
// against the limit, with and without protective glasses.
//
// Annual Hp(3) [mSv] = eye lens dose ratio [Gy per Gy] (eye_lens_dose.h: the
// air kerma at the point times the lead's transmitted fraction times D3mm/Kair
// of the transmitted spectrum) x entrance air kerma per procedure [Gy]
// (workload.h) x procedures per year x 1000. The absorbed dose at 3 mm depth
// in Gy is taken as Hp(3) in Sv (photons, radiation weighting factor 1). Its
// relative error is the eye lens dose ratio's: the point kerma's, or the
// interpolated grid kerma's at an eye position (eye_position.h); the workload
// is taken as exact.
//
// Limits for the lens of the eye of occupationally exposed workers (ICRP
// Publication 118, 2012; Council Directive 2013/59/Euratom; in Japan since
// 2021): 20 mSv per year averaged over five years (100 mSv in five years), and
// no single year above 50 mSv.
#pragma once

#include <optional>
#include <vector>

#include "app/results/eye_lens_dose.h"
#include "app/results/eye_position.h"
#include "app/results/workload.h"

namespace korvana::app {

inline constexpr double EYE_LENS_LIMIT_MSV = 20.0;              //!< [mSv/yr] five-year average
inline constexpr double EYE_LENS_SINGLE_YEAR_LIMIT_MSV = 50.0;  //!< [mSv] in any one year

//! Where a year's dose stands against the limits.
enum class DoseVerdict {
    BelowLimit,            //!< below 20 mSv
    AboveAverageLimit,     //!< 20 mSv up to 50 mSv: allowed only if the five years stay within 100
    AboveSingleYearLimit,  //!< above 50 mSv
};
DoseVerdict verdictOf(double annualMsv);

//! One point's year behind one lead layer.
struct AnnualDose {
    double doseRatio = 0;                      //!< [Gy per Gy at the entrance surface]
    double perProcedureMsv = 0;                //!< [mSv] Hp(3) of one procedure
    double annualMsv = 0;                      //!< [mSv] Hp(3) of the year
    std::optional<double> relStdErrorPercent;  //!< [%] of annualMsv
    double percentOfLimit = 0;                 //!< annualMsv / 20 mSv [%]
    DoseVerdict verdict = DoseVerdict::BelowLimit;
    //! The most procedures a year that keep the dose below 20 mSv; empty when
    //! there is no limit: a procedure gives no dose, or more procedures than
    //! any year holds (MAX_PROCEDURES_PER_YEAR) stay below.
    std::optional<long long> proceduresBelowLimit;
};

//! The year of `procedures` procedures of `entranceKermaGy` each at a point
//! of eye lens dose ratio `doseRatio` with relative error `relStdErrorPercent`.
AnnualDose annualDoseOf(double doseRatio, std::optional<double> relStdErrorPercent,
                        double entranceKermaGy, long long procedures);

//! A point of the annual table: a measuring angle, or the eye position.
struct AnnualDosePoint {
    int angleIndex = 0;              //!< the angle, or for the eye the angle whose spectrum is used
    std::optional<EyePosition> eye;  //!< set for the eye position's row
    double kermaRatio = 0;           //!< [Gy per Gy] air kerma at the point
    bool unstable = false;           //!< the kerma's error estimate is itself unreliable
    //! Without glasses (behind the protection only) and with the glasses added;
    //! empty where the dose ratio does not exist (D3mm/Kair 0/0).
    std::optional<AnnualDose> bare;
    std::optional<AnnualDose> glasses;
};

struct AnnualEyeLensDose {
    Workload workload;
    double entranceKermaGy = 0;  //!< [Gy] per procedure
    double glassesMm = 0;        //!< [mm Pb]
    double protectionMm = 0;     //!< [mm Pb]
    //! The shown angles 45 to 135 degrees, then the eye position when given.
    std::vector<AnnualDosePoint> points;
};

//! The annual table of a loaded result. Throws DataError for a lead thickness
//! below 0, a workload out of its bounds (checkWorkload with the result's
//! field), a P_KA with a result field of no area, or an eye position outside
//! the grid.
AnnualEyeLensDose computeAnnualEyeLensDose(const ResultSet& set, const EyeLensDoseTables& tables,
                                           const Workload& workload, double glassesMm,
                                           double protectionMm,
                                           const std::optional<EyePosition>& eye = std::nullopt);

}  // namespace korvana::app
