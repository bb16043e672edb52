// tavisen: first and second half-value layers in aluminium of the beam spectrum
// in B_SPCTL.dat, their effective energies and the photon fluence per exposure,
// written to HVL_S2.dat. No arguments, no dialogue: any argument (--help
// included) is refused with the usage line before a file is read or written.
#include <exception>
#include <iostream>

#include "common/data_error.h"
#include "common/file_names.h"
#include "hvl/tavisen.h"

int main(int argc, char** argv) {
    using namespace korvana;
    if (argc > 1) {
        std::cerr << "tavisen: takes no options or arguments (\"" << argv[1]
                  << "\" given); nothing was read or written.\n"
                  << "usage: tavisen   (in the working directory with B_SPCTL.dat, "
                  << ALUMINIUM_TABLE_FILE << " and " << AIR_TABLE_FILE << "; writes " << HVL_FILE
                  << ")\n";
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
