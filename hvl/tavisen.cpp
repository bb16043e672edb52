#include "hvl/tavisen.h"

#include <ostream>

#include "common/file_names.h"
#include "common/grid_tables.h"
#include "hvl/hvl_calculation.h"
#include "hvl/hvl_file.h"

namespace korvana::hvl {

namespace {

//! The first bin of the fluence's kerma sum (bin 1 never counts).
constexpr int FIRST_SERVED_BIN = 2;

}  // namespace

int runHvlCalculator(std::ostream& console) {
    const GridTable aluminium = loadAluminiumAttenuation(ALUMINIUM_TABLE_FILE);
    const GridTable air = loadAirEnergyAbsorption(AIR_TABLE_FILE);
    const GridTable spectrum = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Ignore).spectrum;
    // The calculation weights and attenuates every bin the spectrum holds.
    int topBin = GRID_BINS;
    while (topBin > 1 && spectrum[topBin] == 0.0f) --topBin;
    requireServedBins(aluminium, ALUMINIUM_TABLE_FILE, FIRST_KERMA_BIN, topBin,
                      "aluminium's linear attenuation coefficient");
    requireServedBins(air, AIR_TABLE_FILE, FIRST_SERVED_BIN, topBin,
                      "air's mass energy-absorption coefficient");
    writeHvlFile(computeHvl(spectrum, aluminium, air), HVL_FILE);
    console << STOP_MESSAGE << '\n' << std::flush;
    return 0;
}

}  // namespace korvana::hvl
