// The HVL calculator's results HVL_S2.dat as the interactive program reads them back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/spectrum/hvl_results.h"
#include "common/data_error.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("HVL_S2.dat", data, size);
    try {
        (void)korvana::app::readHvlResults(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
