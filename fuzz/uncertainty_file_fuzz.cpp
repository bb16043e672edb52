// The uncertainty file NAME.unc.csv beside a result file: whatever the bytes,
// the reader either refuses them or returns values a run can give, and a file
// is taken only beside the result its digest names.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "fuzz_input.h"

namespace {

bool plausible(const korvana::KermaUncertainty& q) {
    const bool kerma = std::isfinite(q.airKermaRatio) && q.airKermaRatio >= 0.0;
    const bool error = !q.relStdError || (*q.relStdError >= 0.0 && *q.relStdError <= 100.0);
    const bool vov = !q.vov || (*q.vov >= 0.0 && *q.vov <= 100.0);
    return kerma && error && vov;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("result.unc.csv", data, size);
    const std::string resultFile = fileName.substr(0, fileName.size() - 8) + ".data";
    // The result beside it: one line, whose digest a fuzzed file may or may not name.
    korvana::writeTextFileAtomically(resultFile, {"result"});
    try {
        const auto table = korvana::readUncertaintiesBeside(resultFile);
        if (!table) __builtin_trap();  // the file is there
        for (const auto& point : table->points) {
            if (!plausible(point)) __builtin_trap();
        }
        for (const auto& column : table->grid) {
            for (const auto& cell : column) {
                if (!plausible(cell)) __builtin_trap();
            }
        }
        if (!table->resultDigest.empty() &&
            table->resultDigest != korvana::resultDigest({"result"})) {
            __builtin_trap();
        }
    } catch (const korvana::DataError&) {
    }
    return 0;
}
