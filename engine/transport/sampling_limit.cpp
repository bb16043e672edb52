#include "engine/transport/sampling_limit.h"

#include <cstdio>
#include <string>

#include "common/data_error.h"

namespace korvana::engine {

void failSampling(const char* what, const char* table, float energyKev) {
    char text[200];
    std::snprintf(text, sizeof text, "%s at %.4g keV found no outcome in %ld tries", what,
                  static_cast<double>(energyKev), MAX_SAMPLING_TRIES);
    throw DataError(SourcePosition{table, 0, 0},
                    std::string(text) +
                        " (the table's values leave it nothing to accept) - use "
                        "the shipped tables or regenerate them with "
                        "tools/make_tables.py");
}

}  // namespace korvana::engine
