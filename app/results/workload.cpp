#include "app/results/workload.h"

#include <charconv>
#include <cmath>

#include "app/common/picture_format.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double GY_PER_MGY = 1e-3;

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

double entranceFieldAreaCm2(const RunConditions& conditions) {
    return conditions.fieldSizeXCm * conditions.fieldSizeYCm;
}

double entranceKermaPerProcedureGy(const Workload& workload, const RunConditions& conditions) {
    if (workload.measure == WorkloadMeasure::EntranceKerma) {
        return workload.perProcedure * GY_PER_MGY;
    }
    const double area = entranceFieldAreaCm2(conditions);
    if (!(area > 0)) {
        throw DataError("the result's field is " + formatPicture(conditions.fieldSizeYCm, "0.0##") +
                        " x " + formatPicture(conditions.fieldSizeXCm, "0.0##") +
                        " cm, no area to spread the kerma-area product over - give the entrance "
                        "air kerma per procedure instead");
    }
    return workload.perProcedure / area;
}

}  // namespace korvana::app
