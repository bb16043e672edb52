// A result file of the engine as the viewers load it: its run conditions alone, then the whole set.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/results/result_set.h"
#include "common/data_error.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("result.data", data, size);
    try {
        (void)korvana::app::readResultConditions(fileName);
        korvana::app::ResultSet set;
        korvana::app::loadResultSet(fileName, set);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
