// The lead table Pb.dat through its grid table reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/grid_tables.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("Pb.dat", data, size);
    try {
        (void)korvana::loadLeadAttenuation(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
