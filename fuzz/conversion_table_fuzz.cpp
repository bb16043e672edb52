// The eye lens dose's conversion table d-DperK.dDk.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/results/eye_lens_dose.h"
#include "common/data_error.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("d-DperK.dDk", data, size);
    try {
        (void)korvana::app::loadConversionTable(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
