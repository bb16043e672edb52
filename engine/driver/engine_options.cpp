#include "engine/driver/engine_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>
#include <ostream>

#include "common/version.h"
#include "engine/run/parallel_run.h"

namespace korvana::engine {

EngineOptions parseEngineOptions(const std::vector<std::string>& arguments, std::ostream& out) {
    CLI::App app(
        "Monte Carlo simulation of the scattered radiation beside an irradiated object "
        "with a lead curtain. Reads B2F.txt, B_SPCTL.dat and the tables from the "
        "working directory and writes the result file and its .unc.csv there.",
        "lumetrel");
    EngineOptions options;
    long long threads = -1;
    std::string seed;
    std::string estimator = estimatorName(Estimator::Analog);
    app.set_version_flag("--version", versionLine("lumetrel"));
    app.add_option("--threads", threads,
                   "Parallel mode on N threads (0: every core). The result does not depend on N.")
        ->type_name("N");
    app.add_option("--seed", seed,
                   "Parallel mode with the block streams of seed S (a whole number, default " +
                       std::to_string(DEFAULT_SEED) + "); another S gives an independent replica.")
        ->type_name("S");
    app.add_option("--estimator", estimator,
                   "Scoring at the measuring points: analog (default) or next-event.")
        ->check(
            CLI::IsMember({estimatorName(Estimator::Analog), estimatorName(Estimator::NextEvent)}))
        ->type_name("NAME");
    app.add_option("--scene", options.sceneFile,
                   "The room around the object, a scene file (JSON: shields, a curtain of finite "
                   "width, the table, eye points; see README). Its eye points need --estimator "
                   "next-event; their results go to NAME.points.csv, and the scene is saved as "
                   "NAME.scene.json beside the result NAME.data.")
        ->type_name("FILE");

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        options.helpShown = true;
        return options;
    } catch (const CLI::CallForVersion&) {
        out << versionLine("lumetrel") << '\n';
        options.helpShown = true;
        return options;
    } catch (const CLI::ParseError& e) {
        throw OptionsError(e.what());
    }

    if (app.count("--threads") > 0) {
        if (threads < 0 || threads > 4096) {
            throw OptionsError("--threads: " + std::to_string(threads) +
                               " is not a thread count (0 for every core, or 1 to 4096)");
        }
        options.parallel = true;
        options.threads = static_cast<int>(threads);
    }
    options.seed = DEFAULT_SEED;
    if (app.count("--seed") > 0) {
        // Every 64-bit value is a seed: decimal digits only, no sign, no base prefix.
        const bool digitsOnly =
            !seed.empty() && seed.find_first_not_of("0123456789") == std::string::npos;
        if (!digitsOnly) {
            throw OptionsError("--seed: " + seed + " is not a whole number from 0 up");
        }
        const auto [end, error] =
            std::from_chars(seed.data(), seed.data() + seed.size(), options.seed);
        if (error != std::errc() || end != seed.data() + seed.size()) {
            throw OptionsError("--seed: " + seed + " is larger than " +
                               std::to_string(std::numeric_limits<std::uint64_t>::max()) +
                               ", the largest seed");
        }
        options.parallel = true;
    }
    if (app.count("--scene") > 0 && options.sceneFile.empty()) {
        throw OptionsError("--scene: the scene file's name is empty");
    }
    options.estimator =
        estimator == estimatorName(Estimator::NextEvent) ? Estimator::NextEvent : Estimator::Analog;
    return options;
}

}  // namespace korvana::engine
