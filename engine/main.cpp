// lumetrel: Monte Carlo simulation of the scattered radiation beside an
// irradiated object with a lead curtain. Reads its inputs from the working
// directory, writes one result file there.
#include "data_error.h"
#include "driver.h"

#include <exception>
#include <iostream>

int main() {
    using namespace korvana;
    engine::StreamConsole console(std::cin, std::cout);
    engine::SystemClock clock;
    try {
        return engine::runEngine(console, clock);
    } catch (const DataError& e) {
        std::cout << std::flush;
        std::cerr << "lumetrel: " << e.what() << '\n'
                  << "lumetrel: stopped; no result file was written.\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "lumetrel: internal error: " << e.what() << '\n';
        return 3;
    }
}
