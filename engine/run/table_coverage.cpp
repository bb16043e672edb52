#include "engine/run/table_coverage.h"

#include <cstdio>
#include <string>

#include "common/data_error.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "engine/constants.h"

namespace korvana::engine {

namespace {

//! ICRUSoft.dat: the row count, the density, then the cross-section rows.
constexpr int FIRST_TISSUE_ROW_LINE = 3;

std::string kev(float energy) {
    char text[32];
    std::snprintf(text, sizeof text, "%g keV", static_cast<double>(energy));
    return text;
}

}  // namespace

void requireTablesServeRun(const EngineInputs& in) {
    const int topBin = in.spectrum.topBin;
    const float topKev = binEnergyKev(topBin);
    // Histories start at the bins' energies and scatter down to the cut-off;
    // the tissue rows are interpolated in between, never trusted beyond them.
    const TissueTables& t = in.tissue;
    const std::string needed = " (a run of this spectrum needs cross sections from " +
                               kev(ENERGY_CUTOFF_KEV) + " to " + kev(topKev) +
                               ") - use the shipped ICRUSoft.dat or regenerate it with "
                               "tools/make_tables.py";
    if (t.rows[1].energy > ENERGY_CUTOFF_KEV) {
        throw DataError(SourcePosition{TISSUE_TABLE_FILE, FIRST_TISSUE_ROW_LINE, 1},
                        "the first cross-section row is at " + kev(t.rows[1].energy) + needed);
    }
    if (t.rows[t.rowCount].energy < topKev) {
        throw DataError(
            SourcePosition{TISSUE_TABLE_FILE, FIRST_TISSUE_ROW_LINE + t.rowCount - 1, 1},
            "the last cross-section row is at " + kev(t.rows[t.rowCount].energy) + needed);
    }
    const int firstBin = FIRST_SIMULATED_BIN;
    requireServedBins(in.air, AIR_TABLE_FILE, firstBin, topBin,
                      "air's mass energy-absorption coefficient");
    requireServedBins(in.lead, LEAD_TABLE_FILE, firstBin, topBin,
                      "lead's linear attenuation coefficient");
}

}  // namespace korvana::engine
