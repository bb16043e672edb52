// korvana-study: studies of one condition or a sweep of conditions without a
// window (see --help).
#include <unistd.h>

#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/study/study.h"
#ifdef KORVANA_STUDY_PLOT
#include "app/study/plot/summary_plot.h"
#endif

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int) { g_interrupted = 1; }

}  // namespace

int main(int argc, char** argv) {
    // Ctrl+C and a scheduler's SIGTERM: stop the running program and clean up.
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        std::error_code ec;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        korvana::study::StudyConsole console{std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1};
#ifdef KORVANA_STUDY_PLOT
        const korvana::study::SummaryPlotWriter plot = korvana::study::writeSummaryPlot;
#else
        const korvana::study::SummaryPlotWriter plot;  // built without Qt: no plot
#endif
        return korvana::study::runStudyCommand(
            arguments, self.parent_path(), console, [] { return g_interrupted == 0; }, plot);
    } catch (const std::exception& e) {
        std::cerr << "korvana-study: internal error: " << e.what() << '\n';
        return 3;
    }
}
