#include "app/spectrum/hvl_results.h"

#include "app/common/free_form_reader.h"
#include "common/text_file.h"

namespace korvana::app {

std::optional<HvlResults> readHvlResults(const std::string& fileName) {
    try {
        const TextLines file = readTextFile(fileName, FileKind::HvlResults);
        FreeFormReader reader(file);
        HvlResults results;
        results.firstHvlMm = reader.next("the first half-value layer");
        results.firstEffectiveEnergyKev = reader.next("the first effective energy");
        results.secondHvlMm = reader.next("the second half-value layer");
        results.secondEffectiveEnergyKev = reader.next("the second effective energy");
        results.fluencePerExposure = reader.next("the photon fluence per exposure");
        return results;
    } catch (const DataError&) {
        // Missing, still being written by tavisen, or damaged: not (yet) results.
        return std::nullopt;
    }
}

}  // namespace korvana::app
