// The beam spectrum B_SPCTL.dat, with its descriptor lines (the engine) and without (the HVL
// calculator).
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/grid_tables.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("B_SPCTL.dat", data, size);
    try {
        (void)korvana::loadSpectrum(fileName, korvana::DescriptorLines::Ignore);
        (void)korvana::loadSpectrum(fileName, korvana::DescriptorLines::Read);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
