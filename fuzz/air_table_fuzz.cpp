// The air table MU_en2016.dat through its grid table reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/grid_tables.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("MU_en2016.dat", data, size);
    try {
        (void)korvana::loadAirEnergyAbsorption(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
