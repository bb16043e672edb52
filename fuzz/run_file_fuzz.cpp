// The engine's run file B2F.txt.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "engine/run_parameters.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("B2F.txt", data, size);
    try {
        (void)korvana::engine::readRunFile(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
