// The engine's command-line options. Without any, the engine runs exactly as
// it always has: one random stream with the fixed seed, the analog scoring.
//
//   lumetrel [--threads N] [--seed S] [--estimator analog|next-event] [--scene FILE]
//
// --threads or --seed selects the parallel mode (blocks of histories with
// streams of their own); --threads 0, or --seed alone, uses every core.
// --scene reads the room around the object (common/scene_file.h); its eye
// points need the next-event estimator.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/tallies/estimator.h"

namespace korvana::engine {

struct EngineOptions {
    bool parallel = false;
    int threads = 0;  //!< worker threads; 0 = every core
    std::uint64_t seed = 0;
    Estimator estimator = Estimator::Analog;
    std::string
        sceneFile;  //!< the scene file; empty: the scene without shields, table or eye points
    bool helpShown = false;  //!< --help was asked for and printed: nothing more to do
};

//! A refused command line: the reason, for one line on the console.
class OptionsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* ENGINE_USAGE =
    "usage: lumetrel [--threads N] [--seed S] [--estimator analog|next-event] [--scene FILE]";

//! Parses the arguments (without the program name); prints --help to `out`.
EngineOptions parseEngineOptions(const std::vector<std::string>& arguments, std::ostream& out);

}  // namespace korvana::engine
