// The uncertainty file NAME.unc.csv beside a result file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/uncertainty_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("result.unc.csv", data, size);
    try {
        (void)korvana::readUncertaintyFile(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
