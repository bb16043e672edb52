// lumetrel: Monte Carlo simulation of the scattered radiation beside an
// irradiated object with a lead curtain. Reads its inputs from the working
// directory, writes one result file and its uncertainty file there.
//
// Without options it runs as it always has; see engine_options.h for the
// parallel mode. Built with MPI, the same program also runs as several
// processes under mpirun (process_group.h).
#include <exception>
#include <iostream>

#include "common/data_error.h"
#include "common/engine_texts.h"
#include "engine/driver/driver.h"
#include "engine/driver/engine_options.h"
#include "engine/driver/process_group.h"

int main(int argc, char** argv) {
    using namespace korvana;
    engine::EngineOptions options;
    try {
        options =
            engine::parseEngineOptions(std::vector<std::string>(argv + 1, argv + argc), std::cout);
    } catch (const engine::OptionsError& e) {
        std::cerr << "lumetrel: " << e.what() << '\n' << engine::ENGINE_USAGE << '\n';
        return 1;
    }
    if (options.helpShown) return 0;

    engine::ProcessGroup processes(argc, argv);
    engine::BlockExchange* exchange = processes.exchange();
    if (exchange) options.parallel = true;
    engine::StreamConsole console(std::cin, std::cout);
    engine::SystemClock clock;
    try {
        return engine::runEngine(console, clock, options, exchange);
    } catch (const DataError& e) {
        std::cout << std::flush;
        std::cerr << "lumetrel: " << e.what() << '\n' << korvana::ENGINE_STOPPED_LINE << '\n';
        processes.abort(2);
        return 2;
    } catch (const std::exception& e) {
        std::cout << std::flush;
        std::cerr << "lumetrel: " << e.what() << '\n' << korvana::ENGINE_STOPPED_LINE << '\n';
        processes.abort(3);
        return 3;
    }
}
