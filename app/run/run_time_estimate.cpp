#include "app/run/run_time_estimate.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "common/data_error.h"
#include "common/engine_texts.h"
#include "common/json_file.h"
#include "common/regular_file.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

// [histories/s on one thread] The speed line of lumetrel --threads 1 (and
// --estimator next-event) with 1e7 (2e6) histories, the default case's
// geometry and curtain, 80 kV, 12 degree, 2.5 mm Al inherent and no added
// filter, on the development machine (2 cores) with little other load; under
// a full load of other work both came out three to five times lower, which
// the first finished run puts right.
constexpr double ANALOG_SEED_RATE = 2.7e6;
constexpr double NEXT_EVENT_SEED_RATE = 6.3e5;  // the rays in vector lanes (AVX-512)

}  // namespace

EstimatorRate& RunRates::of(std::string_view estimator) {
    return estimator == ESTIMATOR_NEXT_EVENT ? nextEvent : analog;
}

const EstimatorRate& RunRates::of(std::string_view estimator) const {
    return estimator == ESTIMATOR_NEXT_EVENT ? nextEvent : analog;
}

RunRates seedRunRates() {
    RunRates rates;
    rates.analog.historiesPerSecondPerThread = ANALOG_SEED_RATE;
    rates.nextEvent.historiesPerSecondPerThread = NEXT_EVENT_SEED_RATE;
    return rates;
}

double expectedRunSeconds(const RunRates& rates, double histories, int threads,
                          std::string_view estimator) {
    const double perSecond = rates.of(estimator).historiesPerSecondPerThread * std::max(threads, 1);
    return perSecond > 0 ? std::max(histories, 0.0) / perSecond : 0.0;
}

std::optional<long long> shownSeconds(double seconds) {
    if (!(seconds >= 0) || !(seconds <= LONGEST_SHOWN_SECONDS)) return std::nullopt;
    return std::llround(seconds);
}

bool refineRunRates(RunRates& rates, double histories, double seconds, int threads,
                    std::string_view estimator) {
    if (!(seconds >= SHORTEST_REFINING_RUN_SECONDS) || !(histories > 0) || threads < 1) {
        return false;
    }
    EstimatorRate& rate = rates.of(estimator);
    const double measured = histories / seconds / threads;
    rate.runs = std::min(rate.runs + 1, RATE_MEAN_RUNS);
    rate.historiesPerSecondPerThread +=
        (measured - rate.historiesPerSecondPerThread) / static_cast<double>(rate.runs);
    return true;
}

namespace {

void readRate(const nlohmann::json& file, std::string_view key, EstimatorRate& rate) {
    const auto entry = file.find(std::string(key));
    if (entry == file.end() || !entry->is_object()) return;
    const double perSecond = entry->value("historiesPerSecondPerThread", 0.0);
    const int runs = entry->value("runs", 0);
    if (!(perSecond > 0) || !std::isfinite(perSecond) || runs < 0) return;
    rate.historiesPerSecondPerThread = perSecond;
    rate.runs = std::min(runs, RATE_MEAN_RUNS);
    rate.calibrated = entry->value("calibrated", false);
}

}  // namespace

KeptRunRates readKeptRunRates(const std::string& fileName) {
    KeptRunRates kept{seedRunRates(), {}, true};
    if (nothingNamed(fileName)) return kept;
    std::string text;
    try {
        text = readRegularFile(fileName, FileKind::EngineSpeeds);
    } catch (const DataError& e) {
        kept.problem = e.what();
        kept.writable = false;
        return kept;
    }
    try {
        const nlohmann::json file = parseJsonText(text, fileName);
        if (!file.is_object() || file.value("korvana_run_rates", 0) != RUN_RATES_VERSION) {
            return kept;
        }
        readRate(file, ESTIMATOR_ANALOG, kept.rates.analog);
        readRate(file, ESTIMATOR_NEXT_EVENT, kept.rates.nextEvent);
    } catch (const DataError& e) {
        kept.rates = seedRunRates();
        kept.problem = e.what();
    } catch (const nlohmann::json::exception&) {
        kept.rates = seedRunRates();  // a value of the wrong type: rewritten by the next run
    }
    return kept;
}

RunRates readRunRates(const std::string& fileName) { return readKeptRunRates(fileName).rates; }

void writeRunRates(const std::string& fileName, const RunRates& rates) {
    nlohmann::ordered_json file;
    file["korvana_run_rates"] = RUN_RATES_VERSION;
    for (const std::string_view key : {ESTIMATOR_ANALOG, ESTIMATOR_NEXT_EVENT}) {
        const EstimatorRate& rate = rates.of(key);
        file[std::string(key)] = {{"historiesPerSecondPerThread", rate.historiesPerSecondPerThread},
                                  {"runs", rate.runs},
                                  {"calibrated", rate.calibrated}};
    }
    writeTextFileAtomically(fileName, {file.dump()});
}

void recordFinishedRun(const std::string& fileName, double histories, double seconds, int threads,
                       std::string_view estimator) {
    KeptRunRates kept = readKeptRunRates(fileName);
    if (!kept.writable) return;
    RunRates& rates = kept.rates;
    if (!refineRunRates(rates, histories, seconds, threads, estimator)) return;
    try {
        writeRunRates(fileName, rates);
    } catch (const DataError&) {
        // Only the estimate misses this run.
    }
}

}  // namespace korvana::app
