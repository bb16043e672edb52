// tavisen: first and second half-value layers in aluminium of the beam spectrum
// in B_SPCTL.dat, their effective energies and the photon fluence per exposure,
// written to HVL_S2.dat. No arguments, no dialogue.
#include <exception>
#include <iostream>

#include "common/data_error.h"
#include "common/file_names.h"
#include "hvl/tavisen.h"

int main() {
    using namespace korvana;
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
