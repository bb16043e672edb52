// korvana-results: the result viewers' numbers without a window (see --help).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/results/results_command.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return korvana::app::runResultsCommand(arguments, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "korvana-results: internal error: " << e.what() << '\n';
        return 3;
    }
}
