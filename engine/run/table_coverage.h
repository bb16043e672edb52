// The physics tables checked against what one run will ask of them, once the
// spectrum is known: every energy from the 5 keV cut-off up to the spectrum's
// top bin must be covered by the tissue table's rows and have a positive,
// finite coefficient in the air and lead tables. A table that parses but does
// not serve the run is refused before the banner, with its file and line,
// instead of ending in a result file of zeros.
#pragma once

#include "engine/run/engine_inputs.h"

namespace korvana::engine {

//! Throws DataError naming the table, its line and the energies the run needs.
void requireTablesServeRun(const EngineInputs& inputs);

}  // namespace korvana::engine
