// The record format parser on any descriptor list.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/record_format.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const korvana::RecordFormat format(korvana::fuzz::asText(data, size));
        (void)format.valueFieldCount();
    } catch (const korvana::DataError&) {
    }
    return 0;
}
