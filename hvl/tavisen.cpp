#include "hvl/tavisen.h"

#include <ostream>

#include "common/file_names.h"
#include "common/grid_tables.h"
#include "hvl/hvl_calculation.h"
#include "hvl/hvl_file.h"

namespace korvana::hvl {

int runHvlCalculator(std::ostream& console) {
    const GridTable aluminium = loadAluminiumAttenuation(ALUMINIUM_TABLE_FILE);
    const GridTable air = loadAirEnergyAbsorption(AIR_TABLE_FILE);
    const GridTable spectrum = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Ignore).spectrum;
    writeHvlFile(computeHvl(spectrum, aluminium, air), HVL_FILE);
    console << STOP_MESSAGE << '\n' << std::flush;
    return 0;
}

}  // namespace korvana::hvl
