// A material table of the interactive program (Tungsten.dat, Aluminum.atc, Copper.dat, Pb.dat).
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/spectrum/material_tables.h"
#include "common/data_error.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("Tungsten.dat", data, size);
    try {
        (void)korvana::app::loadAttenuationTable(fileName);
    } catch (const korvana::DataError&) {
    }
    return 0;
}
