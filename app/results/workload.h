// A worker's year: what the hospital's dose records give per procedure and
// how many procedures there are, and the primary air kerma at the entrance
// surface each procedure delivers, the quantity every result is normalised to.
//
// The kerma-area product P_KA [Gy cm2] shown by the fluoroscopy unit is the
// primary air kerma free in air times the field area, the same in every plane
// across the beam; divided by the field area at the entrance surface (the
// result's field sizes at FSD) it is the entrance air kerma the results are
// per unit of. The table and the mattress between the tube and the object,
// which the P_KA meter does not see, are neglected: the estimate is higher
// than the kerma that reaches the object (conservative).
//
// A workload is refused where no dose record can hold it: more than
// MAX_KAP_GYCM2 per procedure (the longest interventional procedures stay
// well below 10^3 Gy cm2), an entrance air kerma above
// MAX_ENTRANCE_KERMA_MGY per procedure (100 Gy, ten times the skin doses
// that already burn; it is also what the largest P_KA gives over a 10 x 10
// cm field), whether given or from a P_KA over the result's field, or more
// than MAX_PROCEDURES_PER_YEAR procedures a year (some 400 each working day).
// A value beyond these is a typing or unit error, and its year's dose only a
// number too large to read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/results/result_set.h"

namespace korvana::app {

//! What the dose record gives per procedure.
enum class WorkloadMeasure {
    KermaAreaProduct,  //!< P_KA [Gy cm2]
    EntranceKerma,     //!< primary air kerma at the entrance surface [mGy]
};

//! [Gy cm2] the largest kerma-area product of one procedure.
inline constexpr double MAX_KAP_GYCM2 = 1e4;
//! [mGy] the largest primary air kerma at the entrance surface of one procedure.
inline constexpr double MAX_ENTRANCE_KERMA_MGY = 1e5;
//! The most procedures a worker's year can hold.
inline constexpr long long MAX_PROCEDURES_PER_YEAR = 100'000;

struct Workload {
    WorkloadMeasure measure = WorkloadMeasure::KermaAreaProduct;
    double perProcedure = 0;          //!< [Gy cm2] or [mGy], by `measure`; above 0
    long long proceduresPerYear = 0;  //!< 0 or more
};

//! A P_KA or an entrance kerma as typed: one plain decimal number (blanks
//! around it allowed, an exponent allowed), finite and above 0; none otherwise.
std::optional<double> workloadValue(std::string_view text);
//! A number of procedures per year as typed: a whole number of 0 or more
//! (digits only, blanks around them allowed); none otherwise, also for a
//! number too large to count.
std::optional<long long> procedureCount(std::string_view text);

//! Which value of a workload is out of bounds.
enum class WorkloadField {
    KermaAreaProduct,      //!< the P_KA given [Gy cm2]
    EntranceKerma,         //!< the entrance kerma given [mGy]
    KermaOverResultField,  //!< the entrance kerma [mGy] a P_KA gives over the result's field
    Procedures,            //!< procedures per year
};

//! A value out of its bounds: not above 0 (a P_KA or kerma), below 0
//! (procedures), not finite, or above `highest`.
struct WorkloadFault {
    WorkloadField field = WorkloadField::KermaAreaProduct;
    double value = 0;         //!< in the field's unit
    double highest = 0;       //!< in the field's unit
    double fieldAreaCm2 = 0;  //!< the result's field area, for KermaOverResultField
};

//! The first fault of the values given (per procedure, then the procedures).
std::optional<WorkloadFault> checkWorkload(const Workload& workload);
//! The same, and then the entrance kerma a P_KA gives over the result's field.
std::optional<WorkloadFault> checkWorkload(const Workload& workload,
                                           const RunConditions& conditions);

//! The fault in English for the console programs: "the kerma-area product
//! 1e+308 Gy cm2 per procedure is more than 10000 Gy cm2 (...)"; each program
//! names its option before it and says what to do.
std::string describeWorkloadFault(const WorkloadFault& fault);

//! The field area at the entrance surface [cm2]: the two field sizes at FSD.
double entranceFieldAreaCm2(const RunConditions& conditions);

//! The primary air kerma at the entrance surface per procedure [Gy]: P_KA
//! over the field area, or the entrance kerma given. Throws DataError when a
//! P_KA is to be divided by a field area that is not above 0 or the workload
//! is out of bounds (checkWorkload).
double entranceKermaPerProcedureGy(const Workload& workload, const RunConditions& conditions);

}  // namespace korvana::app
