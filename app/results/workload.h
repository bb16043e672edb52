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
#pragma once

#include <optional>
#include <string_view>

#include "app/results/result_set.h"

namespace korvana::app {

//! What the dose record gives per procedure.
enum class WorkloadMeasure {
    KermaAreaProduct,  //!< P_KA [Gy cm2]
    EntranceKerma,     //!< primary air kerma at the entrance surface [mGy]
};

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

//! The field area at the entrance surface [cm2]: the two field sizes at FSD.
double entranceFieldAreaCm2(const RunConditions& conditions);

//! The primary air kerma at the entrance surface per procedure [Gy]: P_KA
//! over the field area, or the entrance kerma given. Throws DataError when a
//! P_KA is to be divided by a field area that is not above 0.
double entranceKermaPerProcedureGy(const Workload& workload, const RunConditions& conditions);

}  // namespace korvana::app
