#include "results_command.h"

#include <array>
#include <cstdio>
#include <ostream>

#include "condition_texts.h"
#include "data_error.h"
#include "eye_lens_dose.h"
#include "picture_format.h"
#include "result_set.h"

namespace korvana::app {

namespace {

struct ConditionLabel {
    const char* name;
    const char* unit;
};

// The conditions in file order.
constexpr std::array<ConditionLabel, CONDITION_COUNT> CONDITION_LABELS = {{
    {"Phantom thickness", "cm"},
    {"Focus-surface distance", "cm"},
    {"Field size (first)", "cm"},
    {"Field size (second)", "cm"},
    {"Pb curtain thickness", "mm"},
    {"Pb curtain length", "cm"},
    {"Tube voltage", "kV"},
    {"Target angle", "degree"},
    {"Inherent filtration", "mm Al"},
    {"Added Al filter", "mm"},
    {"Added Cu filter", "mm"},
    {"Histories", "photons"},
}};

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

void printReport(const ResultSet& set, const EyeLensDoseTables& tables, std::ostream& out) {
    out << "Result file: " << set.fileName << '\n';
    out << "Run conditions:\n";
    const auto texts = browserConditionTexts(set.conditions);
    for (int n = 0; n < CONDITION_COUNT; ++n) {
        char line[96];
        std::snprintf(line, sizeof line, "  %-24s %s %s", CONDITION_LABELS[n].name,
                      texts[n].c_str(), CONDITION_LABELS[n].unit);
        out << line << '\n';
    }

    const EyeLensDose bare = computeEyeLensDose(set, tables, 0.0, 0.0);
    const EyeLensDose glasses = computeEyeLensDose(set, tables, REPORT_GLASSES_MM_PB, 0.0);
    out << "Per 1 Gy of primary air kerma at the entrance surface of the phantom:\n";
    out << "                            without glasses           with "
        << formatPicture(REPORT_GLASSES_MM_PB, "0.00") << " mm Pb glasses\n";
    out << "  angle  air kerma Gy   D3mm/Kair  eye lens Gy   transmitted  D3mm/Kair  eye lens Gy\n";
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        out << padded(formatPicture(angleOfIndex(k), "0"), 7)
            << padded(formatPicture(set.pointKermaRatio[k], "0.000E+00"), 13)
            << padded(doseConversionRatioText(bare.doseConversionRatio[k]), 12)
            << padded(eyeLensDoseText(bare.eyeLensDose[k]), 13)
            << padded(formatPicture(glasses.transmittedFraction[k], "0.000E+00"), 14)
            << padded(doseConversionRatioText(glasses.doseConversionRatio[k]), 11)
            << padded(eyeLensDoseText(glasses.eyeLensDose[k]), 13) << '\n';
    }
}

}  // namespace

std::string resultsUsage() {
    return "usage: korvana-results RESULT_FILE\n"
           "Prints the run conditions of a result file written by lumetrel, the air kerma at\n"
           "the measuring points 45 to 135 degrees and the eye lens dose per angle without and\n"
           "with 0.07 mm lead glasses, all per 1 Gy of primary air kerma at the entrance\n"
           "surface. Reads d-DperK.dDk and Pb.dat from the working directory.\n";
}

int runResultsCommand(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& errors) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        out << resultsUsage();
        return 0;
    }
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-') {
        errors << "korvana-results: expected one result file name\n" << resultsUsage();
        return 1;
    }
    try {
        ResultSet set;
        loadResultSet(arguments[0], set);
        const EyeLensDoseTables tables = loadEyeLensDoseTables();
        printReport(set, tables, out);
        return 0;
    } catch (const DataError& e) {
        errors << "korvana-results: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace korvana::app
