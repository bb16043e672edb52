// The HVL calculator on a damaged beam spectrum B_SPCTL.dat: the spectrum as
// tavisen reads it, the half-value layers over the shipped aluminium and air
// tables, and the lines of HVL_S2.dat.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/grid_tables.h"
#include "fuzz_input.h"
#include "hvl/hvl_calculation.h"
#include "hvl/hvl_file.h"

using namespace korvana;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const GridTable aluminium = loadAluminiumAttenuation(KORVANA_DATA_DIR "/Aluminum.atc");
    static const GridTable air = loadAirEnergyAbsorption(KORVANA_DATA_DIR "/MU_en2016.dat");
    const std::string fileName = fuzz::writeInputFile("B_SPCTL.dat", data, size);
    try {
        const GridTable spectrum = loadSpectrum(fileName, DescriptorLines::Ignore).spectrum;
        (void)hvl::formatHvlLines(hvl::computeHvl(spectrum, aluminium, air));
    } catch (const DataError&) {
    }
    return 0;
}
