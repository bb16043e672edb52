// tavisen: first and second half-value layers in aluminium of the beam spectrum
// in B_SPCTL.dat, their effective energies and the photon fluence per exposure,
// written to HVL_S2.dat. No arguments, no dialogue: --help and --version are
// answered, any other argument is refused with the usage line, and neither
// reads or writes a file.
#include <exception>
#include <iostream>
#include <string>

#include "common/data_error.h"
#include "common/file_names.h"
#include "common/version.h"
#include "hvl/tavisen.h"

int main(int argc, char** argv) {
    using namespace korvana;
    if (argc > 1) {
        const std::string usage = std::string("usage: tavisen   (in the working directory with ") +
                                  SPECTRUM_FILE + ", " + ALUMINIUM_TABLE_FILE + " and " +
                                  AIR_TABLE_FILE + "; writes " + HVL_FILE + ")\n";
        const std::string argument = argv[1];
        if (argc == 2 && (argument == "--help" || argument == "-h")) {
            std::cout << "Computes the first and second half-value layers in aluminium of the "
                         "beam spectrum,\ntheir effective energies and the photon fluence per "
                         "exposure.\n"
                      << usage;
            return 0;
        }
        if (argc == 2 && argument == "--version") {
            std::cout << versionLine("tavisen") << '\n';
            return 0;
        }
        std::cerr << "tavisen: takes no options or arguments (\"" << argument
                  << "\" given); nothing was read or written.\n"
                  << usage;
        return 1;
    }
    try {
        return hvl::runHvlCalculator(std::cout);
    } catch (const DataError& e) {
        std::cout << std::flush;
        std::cerr << "tavisen: " << e.what() << '\n'
                  << "tavisen: stopped; " << HVL_FILE << " was not written.\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tavisen: internal error: " << e.what() << '\n';
        return 3;
    }
}
