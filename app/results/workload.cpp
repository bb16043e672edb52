#include "app/results/workload.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/common/picture_format.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double GY_PER_MGY = 1e-3;

std::string number(double value) {
    char text[32];
    // Counts whole, as typed; everything else to seven digits.
    if (value == std::floor(value) && std::abs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.7g", value);
    }
    return text;
}

std::optional<WorkloadFault> outside(WorkloadField field, double value, double highest,
                                     bool zeroAllowed) {
    const bool low = zeroAllowed ? !(value >= 0) : !(value > 0);
    if (low || !std::isfinite(value) || value > highest) {
        return WorkloadFault{field, value, highest, 0.0};
    }
    return std::nullopt;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<double> workloadValue(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    // from_chars takes no "+", no base prefix and no locale: what a dose record holds.
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    if (!std::isfinite(value) || !(value > 0)) return {};
    return value;
}

std::optional<long long> procedureCount(std::string_view text) {
    text = trimmed(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || error != std::errc() ||
        end != text.data() + text.size()) {
        return {};
    }
    return value;
}

std::optional<WorkloadFault> checkWorkload(const Workload& workload) {
    const bool kap = workload.measure == WorkloadMeasure::KermaAreaProduct;
    if (auto fault =
            outside(kap ? WorkloadField::KermaAreaProduct : WorkloadField::EntranceKerma,
                    workload.perProcedure, kap ? MAX_KAP_GYCM2 : MAX_ENTRANCE_KERMA_MGY, false)) {
        return fault;
    }
    return outside(WorkloadField::Procedures, static_cast<double>(workload.proceduresPerYear),
                   static_cast<double>(MAX_PROCEDURES_PER_YEAR), true);
}

std::optional<WorkloadFault> checkWorkload(const Workload& workload,
                                           const RunConditions& conditions) {
    if (auto fault = checkWorkload(workload)) return fault;
    const double area = entranceFieldAreaCm2(conditions);
    if (workload.measure != WorkloadMeasure::KermaAreaProduct || !(area > 0)) return std::nullopt;
    const double kermaMgy = workload.perProcedure / area / GY_PER_MGY;
    if (kermaMgy > MAX_ENTRANCE_KERMA_MGY) {
        return WorkloadFault{WorkloadField::KermaOverResultField, kermaMgy, MAX_ENTRANCE_KERMA_MGY,
                             area};
    }
    return std::nullopt;
}

std::string describeWorkloadFault(const WorkloadFault& fault) {
    const std::string value = number(fault.value);
    const std::string highest = number(fault.highest);
    const auto range = [&](const std::string& what, const std::string& unit, bool zeroAllowed) {
        const std::string text = what + " " + value + unit;
        if (!std::isfinite(fault.value)) return text + " is not a finite number";
        if (zeroAllowed ? fault.value < 0 : fault.value <= 0) {
            return text + (zeroAllowed ? " is below 0" : " is not above 0");
        }
        return text + " is more than " + highest + unit;
    };
    switch (fault.field) {
        case WorkloadField::KermaAreaProduct:
            return range("the kerma-area product per procedure", " Gy cm2", false) +
                   (fault.value > fault.highest
                        ? " (no procedure delivers that much: a typing or unit error)"
                        : "");
        case WorkloadField::EntranceKerma:
            return range("the entrance air kerma per procedure", " mGy", false) +
                   (fault.value > fault.highest
                        ? " (100 Gy; no procedure delivers that much: a typing or unit error)"
                        : "");
        case WorkloadField::KermaOverResultField:
            return "the kerma-area product per procedure over the result's field of " +
                   number(fault.fieldAreaCm2) + " cm2 gives " + value +
                   " mGy at the entrance surface, more than " + highest +
                   " mGy (100 Gy; no procedure delivers that much: the P_KA is too large for "
                   "this field)";
        case WorkloadField::Procedures:
            return range("the number of procedures per year", "", true) +
                   (fault.value > fault.highest
                        ? " (some 400 each working day, more than one worker can do)"
                        : "");
    }
    return {};
}

double entranceFieldAreaCm2(const RunConditions& conditions) {
    return conditions.fieldSizeXCm * conditions.fieldSizeYCm;
}

double entranceKermaPerProcedureGy(const Workload& workload, const RunConditions& conditions) {
    if (workload.measure == WorkloadMeasure::EntranceKerma) {
        if (const auto fault = checkWorkload(workload)) {
            throw DataError(
                describeWorkloadFault(*fault) +
                " - give the values of one procedure and of one year from the dose record");
        }
        return workload.perProcedure * GY_PER_MGY;
    }
    const double area = entranceFieldAreaCm2(conditions);
    if (!(area > 0)) {
        throw DataError("the result's field is " + formatPicture(conditions.fieldSizeYCm, "0.0##") +
                        " x " + formatPicture(conditions.fieldSizeXCm, "0.0##") +
                        " cm, no area to spread the kerma-area product over - give the entrance "
                        "air kerma per procedure instead");
    }
    if (const auto fault = checkWorkload(workload, conditions)) {
        throw DataError(describeWorkloadFault(*fault) +
                        " - give the values of one procedure and of one year from the dose record");
    }
    return workload.perProcedure / area;
}

}  // namespace korvana::app
