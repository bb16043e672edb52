#include "app/results/annual_eye_lens_dose.h"

#include <cmath>

#include "app/results/constants.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double MSV_PER_GY = 1000.0;  // Hp(3): Sv from Gy at 3 mm, photons

std::optional<AnnualDose> annualOrNone(const std::optional<double>& ratio,
                                       const std::optional<double>& error, double kermaGy,
                                       long long procedures) {
    if (!ratio) return std::nullopt;
    return annualDoseOf(*ratio, error, kermaGy, procedures);
}

}  // namespace

DoseVerdict verdictOf(double annualMsv) {
    if (annualMsv < EYE_LENS_LIMIT_MSV) return DoseVerdict::BelowLimit;
    if (annualMsv <= EYE_LENS_SINGLE_YEAR_LIMIT_MSV) return DoseVerdict::AboveAverageLimit;
    return DoseVerdict::AboveSingleYearLimit;
}

AnnualDose annualDoseOf(double doseRatio, std::optional<double> relStdErrorPercent,
                        double entranceKermaGy, long long procedures) {
    AnnualDose year;
    year.doseRatio = doseRatio;
    year.perProcedureMsv = doseRatio * entranceKermaGy * MSV_PER_GY;
    year.annualMsv = year.perProcedureMsv * static_cast<double>(procedures);
    year.relStdErrorPercent = relStdErrorPercent;
    year.percentOfLimit = year.annualMsv / EYE_LENS_LIMIT_MSV * 100.0;
    year.verdict = verdictOf(year.annualMsv);
    if (year.perProcedureMsv > 0) {
        // The largest N with N x per procedure strictly below the limit.
        const double quotient = EYE_LENS_LIMIT_MSV / year.perProcedureMsv;
        double most = std::ceil(quotient) - 1;
        if (most + 1 < quotient) ++most;  // guard against the quotient's last bit
        // Beyond any year's count the limit binds no one: no limit.
        if (most <= static_cast<double>(MAX_PROCEDURES_PER_YEAR)) {
            year.proceduresBelowLimit = static_cast<long long>(most);
        }
    }
    return year;
}

AnnualEyeLensDose computeAnnualEyeLensDose(const ResultSet& set, const EyeLensDoseTables& tables,
                                           const Workload& workload, double glassesMm,
                                           double protectionMm,
                                           const std::optional<EyePosition>& eye) {
    AnnualEyeLensDose table;
    table.workload = workload;
    table.glassesMm = glassesMm;
    table.protectionMm = protectionMm;
    table.entranceKermaGy = entranceKermaPerProcedureGy(workload, set.conditions);
    const EyeLensDose bare = computeEyeLensDose(set, tables, 0.0, protectionMm);
    const EyeLensDose withGlasses = computeEyeLensDose(set, tables, glassesMm, protectionMm);
    const double kermaGy = table.entranceKermaGy;
    const long long procedures = workload.proceduresPerYear;
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        AnnualDosePoint point;
        point.angleIndex = k;
        point.kermaRatio = set.pointKermaRatio[k];
        point.unstable = set.uncertainties &&
                         set.uncertainties->points[static_cast<std::size_t>(k - 1)].unstable;
        point.bare =
            annualOrNone(bare.eyeLensDose[k], bare.relStdErrorPercent[k], kermaGy, procedures);
        point.glasses = annualOrNone(withGlasses.eyeLensDose[k], withGlasses.relStdErrorPercent[k],
                                     kermaGy, procedures);
        table.points.push_back(point);
    }
    if (eye) {
        const GridKerma kerma = interpolateGridKerma(set, *eye);
        AnnualDosePoint point;
        point.angleIndex = nearestShownAngle(*eye);
        point.eye = eye;
        point.kermaRatio = kerma.kermaRatio;
        point.unstable = kerma.unstable;
        const int k = point.angleIndex;
        point.bare = annualOrNone(eyeLensDoseWithSpectrumOf(bare, k, kerma.kermaRatio),
                                  kerma.relStdErrorPercent, kermaGy, procedures);
        point.glasses = annualOrNone(eyeLensDoseWithSpectrumOf(withGlasses, k, kerma.kermaRatio),
                                     kerma.relStdErrorPercent, kermaGy, procedures);
        table.points.push_back(point);
    }
    return table;
}

}  // namespace korvana::app
