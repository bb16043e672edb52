// A case file NAME.korvana.json as korvana and korvana-study read it: the
// strict JSON reader (depth, repeated keys) and the case's own checks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/run/case_file.h"
#include "common/data_error.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("case.korvana.json", data, size);
    try {
        (void)korvana::app::readCaseFile(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
