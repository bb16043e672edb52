// korvana-validate: writes the validation report from the files of a
// validation run (tools/validate.sh makes the runs and calls it; see --help).
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/validation/validation_report.h"
#include "common/data_error.h"

int main(int argc, char** argv) {
    CLI::App app(
        "Writes the validation report (Markdown with SVG plots in the folder named after it) "
        "from the files of a validation run made by tools/validate.sh: the half-value layers, "
        "the ISO 4037 beams, the scatter runs and the next-event/analog pairs.",
        "korvana-validate");
    korvana::validation::ReportSettings settings;
    app.add_option("--runs", settings.runDir, "The validation run's folder")->required();
    app.add_option("--data", settings.dataDir, "The shipped tables' folder (data/)")->required();
    app.add_option("--out", settings.reportFile, "The report to write (docs/validation.md)")
        ->required();
    app.add_option("--date", settings.date, "When the runs were made, as shown")->required();
    app.add_option("--commit", settings.commit, "The commit built, as shown")->required();
    app.add_option("--elapsed", settings.elapsed, "The runs' duration, as shown");
    app.add_option("--note", settings.notes, "A line on how the runs were made (repeatable)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    try {
        korvana::validation::writeValidationReport(settings);
    } catch (const korvana::DataError& e) {
        std::cerr << "korvana-validate: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "korvana-validate: internal error: " << e.what() << '\n';
        return 3;
    }
    std::cout << "Wrote " << settings.reportFile << '\n';
    return 0;
}
