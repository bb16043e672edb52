// korvana-spectrum: computes B_SPCTL.dat for given irradiation conditions
// without the interactive program's window (see --help).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/spectrum/spectrum_command.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return korvana::app::runSpectrumCommand(arguments, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "korvana-spectrum: internal error: " << e.what() << '\n';
        return 3;
    }
}
