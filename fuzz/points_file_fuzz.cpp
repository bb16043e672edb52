// The eye points file NAME.points.csv beside a result file: whatever the
// bytes, the reader refuses them or returns values a run can give, with no
// name twice, and takes a file only beside the result its digest names.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "common/data_error.h"
#include "common/points_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("result.points.csv", data, size);
    const std::string resultFile = fileName.substr(0, fileName.size() - 11) + ".data";
    korvana::writeTextFileAtomically(resultFile, {"result"});
    try {
        const auto table = korvana::readPointsBeside(resultFile);
        if (!table) __builtin_trap();  // the file is there
        std::set<std::string> names;
        for (const auto& p : table->points) {
            if (!(std::isfinite(p.airKermaRatio) && p.airKermaRatio >= 0.0)) __builtin_trap();
            if (p.relErrPercent && !(*p.relErrPercent >= 0.0)) __builtin_trap();
            if (p.name.empty() || !names.insert(p.name).second) __builtin_trap();
        }
        if (!table->points.empty() && table->resultDigest != korvana::resultDigest({"result"})) {
            __builtin_trap();
        }
    } catch (const korvana::DataError&) {
    }
    return 0;
}
