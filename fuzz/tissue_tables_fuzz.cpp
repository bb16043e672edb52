// The tissue tables ICRUSoft.dat.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "engine/inputs/tissue_tables.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("ICRUSoft.dat", data, size);
    try {
        (void)korvana::engine::loadTissueTables(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
