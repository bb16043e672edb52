#include "app/results/results_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/common/picture_format.h"
#include "app/results/annual_eye_lens_dose.h"
#include "app/results/condition_texts.h"
#include "app/results/csv_export.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/eye_points.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/result_set.h"
#include "app/run/case_file.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "common/output_files.h"
#include "common/regular_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/version.h"

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

constexpr std::size_t ERROR_COLUMN_WIDTH = 8;
//! Beside the error of a kerma whose error estimate is unstable.
constexpr std::string_view UNSTABLE_MARK = " unstable";

//! Right-aligned in `width` columns; a text too wide for them keeps a blank
//! before it, so no two columns ever run together.
std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? " " + text : std::string(width - text.size(), ' ') + text;
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
    if (const std::optional<std::string> estimator = estimatorOf(set)) {
        out << "  Estimator                " << *estimator << '\n';
    }
    // The error column only for a result with uncertainties: older results print as before.
    const bool withErrors = set.uncertainties.has_value();
    bool anyUnstable = false;
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        anyUnstable = anyUnstable || pointIsUnstable(set, k);
    }
    const std::size_t errorWidth = ERROR_COLUMN_WIDTH + (anyUnstable ? UNSTABLE_MARK.size() : 0);
    const std::string errorGap = withErrors ? std::string(errorWidth, ' ') : "";
    out << "Per 1 Gy of primary air kerma at the entrance surface of the phantom:\n";
    out << "                            " << errorGap << "without glasses           with "
        << formatPicture(REPORT_GLASSES_MM_PB, "0.00") << " mm Pb glasses\n";
    out << "  angle  air kerma Gy" << (withErrors ? "   \u00b1 [%]" : "")
        << "   D3mm/Kair  eye lens Gy   transmitted  D3mm/Kair  eye lens Gy\n";
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        out << padded(formatPicture(angleOfIndex(k), "0"), 7)
            << padded(formatPicture(set.pointKermaRatio[k], "0.000E+00"), 13);
        if (withErrors) {
            const std::optional<double> percent = pointRelativeErrorPercent(set, k);
            const std::string mark = pointIsUnstable(set, k) ? std::string(UNSTABLE_MARK) : "";
            out << padded((percent ? formatPicture(*percent, "0.0") : "-") + mark, errorWidth);
        }
        out << padded(doseConversionRatioText(bare.doseConversionRatio[k]), 12)
            << padded(eyeLensDoseText(bare.eyeLensDose[k]), 13)
            << padded(formatPicture(glasses.transmittedFraction[k], "0.000E+00"), 14)
            << padded(doseConversionRatioText(glasses.doseConversionRatio[k]), 11)
            << padded(eyeLensDoseText(glasses.eyeLensDose[k]), 13) << '\n';
    }
    if (withErrors) {
        out << "\u00b1 [%]: relative standard error of the air kerma, which is also that of the\n"
               "eye lens doses of its row (both with and without glasses).\n";
    }
    if (anyUnstable) {
        out << "unstable: the error estimate itself is unreliable there (the variance of the\n"
               "variance reaches 0.1, or one history makes more than a tenth of the kerma);\n"
               "run more histories before relying on that value.\n";
    }
}

std::string verdictText(DoseVerdict verdict) {
    switch (verdict) {
        case DoseVerdict::BelowLimit:
            return "below 20";
        case DoseVerdict::AboveAverageLimit:
            return "20 to 50";
        case DoseVerdict::AboveSingleYearLimit:
            return "ABOVE 50";
    }
    return {};
}

// mSv/year, ± %, % of 20, verdict, procedures/year below 20 mSv.
std::string annualCells(const std::optional<AnnualDose>& year) {
    if (!year) return padded("-", 10) + std::string(39, ' ');
    return padded(formatPicture(year->annualMsv, "0.00"), 10) +
           padded(year->relStdErrorPercent ? formatPicture(*year->relStdErrorPercent, "0.0") : "-",
                  6) +
           padded(formatPicture(year->percentOfLimit, "0"), 8) +
           padded(verdictText(year->verdict), 10) +
           padded(year->proceduresBelowLimit ? std::to_string(*year->proceduresBelowLimit)
                                             : "no limit",
                  9);
}

void printAnnual(const ResultSet& set, const AnnualEyeLensDose& table, std::ostream& out) {
    const Workload& w = table.workload;
    out << "\nWorkload: ";
    if (w.measure == WorkloadMeasure::KermaAreaProduct) {
        out << "kerma-area product " << formatPicture(w.perProcedure, "0.0##")
            << " Gy cm2 per procedure\n  over the "
            << formatPicture(set.conditions.fieldSizeYCm, "0.0#") << " x "
            << formatPicture(set.conditions.fieldSizeXCm, "0.0#")
            << " cm field at the entrance surface\n  = ";
    } else {
        out << "entrance air kerma\n  ";
    }
    out << formatPicture(table.entranceKermaGy * 1000.0, "0.0##")
        << " mGy primary air kerma at the entrance surface per procedure"
        << (w.measure == WorkloadMeasure::KermaAreaProduct
                ? "\n  (table and mattress attenuation neglected: conservative)"
                : "")
        << ", " << w.proceduresPerYear << " procedures per year\n";
    out << "Annual eye lens dose Hp(3) in mSv; limit 20 mSv per year averaged over 5 years,\n"
           "no single year above 50 mSv (ICRP 118, EU 2013/59/Euratom, Japan since 2021):\n";
    out << std::string(21, ' ') << "without glasses" << std::string(24, ' ') << "with "
        << formatPicture(table.glassesMm, "0.00") << " mm Pb glasses\n";
    // The cells' widths; "\u00b1" is two bytes, one column.
    const std::string head = padded("mSv/yr", 10) + padded("\u00b1 %", 7) + padded("% of 20", 8) +
                             padded("verdict", 10) + padded("max N/yr", 9);
    out << "  angle" << head << head << '\n';
    bool anyUnstable = false;
    for (const AnnualDosePoint& point : table.points) {
        if (point.eye) continue;
        out << padded(formatPicture(angleOfIndex(point.angleIndex), "0"), 7)
            << annualCells(point.bare) << annualCells(point.glasses)
            << (point.unstable ? " unstable" : "") << '\n';
        anyUnstable = anyUnstable || point.unstable;
    }
    for (const AnnualDosePoint& point : table.points) {
        if (!point.eye) continue;
        out << "At the eye position x = " << formatPicture(point.eye->xCm, "0.0#")
            << " cm, z = " << formatPicture(point.eye->zCm, "0.0#") << " cm:\n  air kerma "
            << formatPicture(point.kermaRatio, "0.000E+00")
            << " Gy per Gy from the grid; glasses and D3mm/Kair from the spectrum of\n  "
            << formatPicture(angleOfIndex(point.angleIndex), "0")
            << " degrees, the measuring angle nearest in direction ("
            << formatPicture(directionAngleDeg(*point.eye), "0") << " degrees)\n";
        out << "    eye" << annualCells(point.bare) << annualCells(point.glasses)
            << (point.unstable ? " unstable" : "") << '\n';
        anyUnstable = anyUnstable || point.unstable;
    }
    out << "max N/yr: the most procedures per year that keep the dose below 20 mSv (no limit:\n"
           "more than "
        << MAX_PROCEDURES_PER_YEAR
        << " a year, or none gives a dose).\n"
           "\u00b1: relative standard error of the Monte Carlo air kerma only; not included are\n"
           "the conversion coefficients' and lead data's own uncertainty, the workload, and how\n"
           "well the scene stands for the room.\n";
    if (anyUnstable) out << "unstable: the error estimate itself is unreliable there.\n";
}

//! The eye points of the result's scene: air kerma, eye lens doses without
//! and with the report's glasses and, with a workload, their year.
void printEyePoints(const ResultSet& set, const EyePointDoses& doses, std::ostream& out) {
    std::size_t nameWidth = 4;
    for (const EyePointDose& dose : doses.points) {
        nameWidth = std::max(nameWidth, dose.point.name.size());
    }
    const auto name = [nameWidth](const std::string& text) {
        return "  " + text + std::string(nameWidth - std::min(nameWidth, text.size()), ' ');
    };
    const std::string glassesText = formatPicture(doses.glassesMm, "0.00");
    out << "\nEye points of the scene " << sceneFileName(set.fileName) << " ("
        << pointsFileName(set.fileName)
        << "),\nper 1 Gy of primary air kerma at the entrance surface of the phantom:\n";
    out << name("") << std::string(40, ' ') << "  without glasses"
        << padded("with " + glassesText + " mm Pb", 17) << '\n';
    out << name("name") << "  x cm  y cm  z cm  air kerma Gy   \u00b1 [%]"
        << padded("eye lens Gy", 17) << padded("eye lens Gy", 17) << "  spectrum of\n";
    bool anyUnstable = false;
    for (const EyePointDose& dose : doses.points) {
        const EyePointResult& p = dose.point;
        out << name(p.name) << padded(formatPicture(p.positionCm[0], "0.0"), 6)
            << padded(formatPicture(p.positionCm[1], "0.0"), 6)
            << padded(formatPicture(p.positionCm[2], "0.0"), 6)
            << padded(formatPicture(p.airKermaRatio, "0.000E+00"), 14)
            << padded(p.relErrPercent ? formatPicture(*p.relErrPercent, "0.0") : "-", 8)
            << padded(eyeLensDoseText(dose.bareDose), 17)
            << padded(eyeLensDoseText(dose.glassesDose), 17)
            << padded(formatPicture(angleOfIndex(dose.spectrumAngleIndex), "0") + " degrees", 13)
            << (p.unstable ? " unstable" : "") << '\n';
        anyUnstable = anyUnstable || p.unstable;
    }
    out << "The air kerma is the engine's at each point, after the scene's shields, table and\n"
           "curtain. No spectrum is scored at an eye point: glasses and D3mm/Kair use the\n"
           "spectrum of the measuring angle nearest in direction as seen from the field centre\n"
           "(\"spectrum of\"), an approximation where that point and the eye lie behind\n"
           "different lead. \u00b1 [%]: relative standard error of the eye point's air kerma.\n";
    if (doses.workload) {
        out << "Annual eye lens dose Hp(3) at the eye points in mSv (workload as above):\n";
        out << name("") << std::string(5, ' ') << "without glasses" << std::string(28, ' ')
            << "with " << glassesText << " mm Pb glasses\n";
        const std::string head = padded("mSv/yr", 10) + padded("\u00b1 %", 7) +
                                 padded("% of 20", 8) + padded("verdict", 10) +
                                 padded("max N/yr", 9);
        out << name("name") << head << head << '\n';
        for (const EyePointDose& dose : doses.points) {
            out << name(dose.point.name) << annualCells(dose.bareYear)
                << annualCells(dose.glassesYear) << (dose.point.unstable ? " unstable" : "")
                << '\n';
        }
    }
    if (anyUnstable) out << "unstable: the error estimate itself is unreliable there.\n";
}

//! The names of the CSV exports written into `directory` for `resultFile`:
//! the viewers' four, the incident spectrum's when the working directory
//! holds B_SPCTL.dat, the annual dose's with a workload.
std::vector<std::string> csvExportNames(const std::string& resultFile, const std::string& directory,
                                        bool withAnnual) {
    const std::filesystem::path dir(directory);
    const std::string stem = std::filesystem::path(resultStem(resultFile)).filename().string();
    std::vector<std::string> names;
    for (const char* ending :
         {"_spectra.csv", "_air_kerma.csv", "_map.csv", "_eye_lens_dose.csv"}) {
        names.push_back((dir / (stem + ending)).string());
    }
    // Anything of that name is read, so a spectrum that is not a file is named.
    if (!nothingNamed(SPECTRUM_FILE)) {
        names.push_back((dir / "incident_spectrum.csv").string());
    }
    if (withAnnual) names.push_back((dir / "annual_eye_lens_dose.csv").string());
    return names;
}

//! The CSV exports of the viewers, written into `directory` under the names
//! of csvExportNames; returns the files written.
std::vector<std::string> writeCsvExports(const ResultSet& set, const EyeLensDoseTables& tables,
                                         double leadMm, const std::string& directory,
                                         const std::optional<AnnualEyeLensDose>& annual) {
    const std::vector<std::string> names =
        csvExportNames(set.fileName, directory, annual.has_value());
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    std::vector<std::vector<std::string>> tablesOf = {
        resultSpectraCsv(set),
        airKermaCsv(set, LeadLayer{leadMm, &tables.leadAttenuationEye}),
        kermaMapCsv(set.kermaMap),
        eyeLensDoseCsv({{0.0, 0.0, computeEyeLensDose(set, tables, 0.0, 0.0)},
                        {REPORT_GLASSES_MM_PB, 0.0,
                         computeEyeLensDose(set, tables, REPORT_GLASSES_MM_PB, 0.0)}}),
    };
    // The incident spectrum of the last step (4), when the working directory holds one.
    if (names.size() > tablesOf.size() + (annual ? 1 : 0)) {
        const SpectrumFile spectrum = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Ignore);
        BinValues values{};
        for (int i = 1; i <= GRID_BINS; ++i) values[i] = spectrum.spectrum[i];
        tablesOf.push_back(incidentSpectrumCsv(values));
    }
    if (annual) tablesOf.push_back(annualEyeLensDoseCsv(*annual));
    // All the exports or none: a half-written set would mix this result with older ones.
    std::vector<TextFileContent> contents;
    for (std::size_t n = 0; n < names.size(); ++n) {
        contents.push_back({names[n], std::move(tablesOf[n])});
    }
    writeTextFilesTogether(contents);
    return names;
}

//! Why the files korvana-results was asked to write cannot be written
//! (output_files.h), checked before anything is read; empty when they can.
std::string outputProblem(const std::string& resultFile, const std::string& csvDirectory,
                          bool withAnnual, const std::string& caseFile, bool caseGiven,
                          bool force) {
    if (caseGiven && caseFile.empty()) {
        return "--save-case needs a file name (the case is written under it)";
    }
    if (!csvDirectory.empty()) {
        std::error_code error;
        if (std::filesystem::exists(csvDirectory, error) &&
            !std::filesystem::is_directory(csvDirectory, error)) {
            return "--csv " + csvDirectory +
                   " is a file, not a directory (the exports are written into a directory) - "
                   "give a directory";
        }
        std::vector<OutputFile> exports;
        for (const std::string& name : csvExportNames(resultFile, csvDirectory, withAnnual)) {
            exports.push_back({name, FileKind::CsvTable});
        }
        if (const auto fault = checkOutputFiles(exports)) {
            return "--csv: " + describeOutputFault(*fault);
        }
    }
    if (!caseFile.empty()) {
        if (const auto fault = checkOutputFiles({{caseFile, FileKind::Case}},
                                                force ? SameKind::Replace : SameKind::Refuse)) {
            if (fault->problem == OutputProblem::Exists) {
                return "--save-case: \"" + caseFile +
                       "\" already holds a case (it would be replaced) - give --force to "
                       "replace it, or another name";
            }
            return "--save-case: " + describeOutputFault(*fault);
        }
    }
    return {};
}

//! A lead thickness [mm] as typed: a plain decimal number (no sign, no base
//! prefix such as 0x), finite and 0 or more; none otherwise.
std::optional<double> leadThicknessMm(const std::string& text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    if (!std::isfinite(value) || value < 0) return {};
    return value;
}

}  // namespace

namespace {

//! The case a result was made from, as far as the result file and its
//! uncertainty file record it: everything but the rectification and the
//! result name.
CaseEntries caseOfResult(const ResultSet& set) {
    const auto texts = browserConditionTexts(set.conditions);
    CaseEntries entries = {
        {"thickness", texts[0]}, {"fsd", texts[1]},       {"field", texts[2] + "x" + texts[3]},
        {"pb", texts[4]},        {"length", texts[5]},    {"kv", texts[6]},
        {"angle", texts[7]},     {"inherent", texts[8]},  {"al", texts[9]},
        {"cu", texts[10]},       {"histories", texts[11]}};
    if (const std::optional<std::string> estimator = estimatorOf(set)) {
        entries["estimator"] = *estimator;
    }
    // The result file shows the count to two digits; its uncertainty file
    // holds the histories the run was made of, which a case run again keeps.
    if (set.uncertainties && set.uncertainties->histories > 0) {
        entries["histories"] = std::to_string(set.uncertainties->histories);
    }
    return entries;
}

}  // namespace

std::string resultsUsage() {
    return "usage: korvana-results RESULT_FILE [--csv DIR] [--pb MM] [--save-case FILE "
           "[--force]]\n"
           "                       [--kap GYCM2 | --entrance-kerma MGY --procedures N [--eye "
           "X,Z]]\n"
           "Prints the run conditions of a result file written by lumetrel, the air kerma at\n"
           "the measuring points 45 to 135 degrees and the eye lens dose per angle without and\n"
           "with 0.07 mm lead glasses, all per 1 Gy of primary air kerma at the entrance\n"
           "surface. Reads d-DperK.dDk and Pb.dat from the working directory. When the engine\n"
           "wrote RESULT_FILE's uncertainty file (NAME.unc.csv), a column gives each air\n"
           "kerma's relative standard error in percent.\n"
           "\n"
           "  --save-case FILE  write the case the result was made from (NAME.korvana.json,\n"
           "             which korvana and korvana-study --case open; the result file does\n"
           "             not record the rectification, which the case then leaves out);\n"
           "             an existing case is replaced only with --force\n"
           "  --csv DIR  also write the viewers' CSV exports into DIR: NAME_spectra.csv,\n"
           "             NAME_air_kerma.csv, NAME_map.csv, NAME_eye_lens_dose.csv and, when\n"
           "             the working directory holds B_SPCTL.dat, incident_spectrum.csv\n"
           "  --pb MM    lead in mm of the air kerma export's protected column (default 0.07)\n"
           "\n"
           "The annual eye lens dose Hp(3) of a worker, without and with 0.07 mm lead glasses,\n"
           "against the limit of 20 mSv per year (no single year above 50 mSv):\n"
           "  --kap GYCM2           kerma-area product per procedure [Gy cm2], divided by the\n"
           "                        result's field area at the entrance surface\n"
           "  --entrance-kerma MGY  or the primary air kerma at the entrance surface per\n"
           "                        procedure [mGy]\n"
           "  --procedures N        procedures per year (a whole number)\n"
           "  --eye X,Z             also at the worker's eyes, X cm beside the beam axis and Z cm\n"
           "                        along it (negative towards the focus), within the grid\n"
           "                        (X 50 to 150, Z -100 to 50)\n"
           "With --csv the table is also written as DIR/annual_eye_lens_dose.csv.\n"
           "\n"
           "A result of a run with eye points (its scene NAME.scene.json and NAME.points.csv\n"
           "beside it) also gets their air kerma and eye lens doses and, with a workload, their\n"
           "annual dose; a damaged points file or one of another run is refused.\n";
}

int runResultsCommand(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& errors) {
    CLI::App app("korvana-results", "korvana-results");
    app.set_help_flag();  // --help prints resultsUsage, in the style of the other tools
    bool help = false;
    std::string resultFile;
    std::string csvDirectory;
    double leadMm = REPORT_GLASSES_MM_PB;
    std::string leadText;
    app.add_flag("-h,--help", help);
    bool version = false;
    app.add_flag("--version", version);
    app.add_option("RESULT_FILE", resultFile);
    app.add_option("--csv", csvDirectory);
    std::string caseFile;
    app.add_option("--save-case", caseFile);
    bool force = false;
    app.add_flag("--force", force);
    app.add_option("--pb", leadText);
    std::string kapText, entranceText, proceduresText, eyeText;
    app.add_option("--kap", kapText);
    app.add_option("--entrance-kerma", entranceText);
    app.add_option("--procedures", proceduresText);
    app.add_option("--eye", eyeText);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        errors << "korvana-results: " << e.what() << '\n' << resultsUsage();
        return 1;
    }
    if (help) {
        out << resultsUsage();
        return 0;
    }
    if (version) {
        out << versionLine("korvana-results") << '\n';
        return 0;
    }
    if (app.count("--pb") > 0) {
        const std::optional<double> lead = leadThicknessMm(leadText);
        if (!lead) {
            errors << "korvana-results: --pb \"" << leadText
                   << "\" is not a lead thickness in mm (a decimal number of 0 or more, as in "
                      "--pb 0.07)\n"
                   << resultsUsage();
            return 1;
        }
        leadMm = *lead;
    }
    const auto refuse = [&](const std::string& problem) {
        errors << "korvana-results: " << problem << '\n' << resultsUsage();
        return 1;
    };
    std::optional<Workload> workload;
    std::optional<EyePosition> eye;
    const bool kap = app.count("--kap") > 0;
    const bool entrance = app.count("--entrance-kerma") > 0;
    if (kap && entrance) {
        return refuse("give either --kap or --entrance-kerma, not both");
    }
    if (kap || entrance) {
        const std::string& text = kap ? kapText : entranceText;
        const std::optional<double> value = workloadValue(text);
        if (!value) {
            return refuse(std::string(kap ? "--kap" : "--entrance-kerma") + " " + quoteValue(text) +
                          " is not a " +
                          (kap ? "kerma-area product in Gy cm2" : "entrance air kerma in mGy") +
                          " above 0 (a decimal number, as in " +
                          (kap ? "--kap 50" : "--entrance-kerma 80") + ")");
        }
        if (app.count("--procedures") == 0) {
            return refuse(
                "--procedures is missing: the annual dose needs the number of "
                "procedures per year");
        }
        const std::optional<long long> procedures = procedureCount(proceduresText);
        if (!procedures) {
            return refuse("--procedures \"" + proceduresText +
                          "\" is not a number of procedures per year (a whole number of 0 or "
                          "more, as in --procedures 500)");
        }
        workload =
            Workload{kap ? WorkloadMeasure::KermaAreaProduct : WorkloadMeasure::EntranceKerma,
                     *value, *procedures};
        if (const std::optional<WorkloadFault> fault = checkWorkload(*workload)) {
            const char* option = fault->field == WorkloadField::Procedures ? "--procedures"
                                 : kap                                     ? "--kap"
                                                                           : "--entrance-kerma";
            return refuse(std::string(option) + ": " + describeWorkloadFault(*fault) +
                          " - give the values of one procedure and of one year from the dose "
                          "record");
        }
    } else if (app.count("--procedures") > 0 || app.count("--eye") > 0) {
        return refuse(std::string(app.count("--procedures") > 0 ? "--procedures" : "--eye") +
                      " needs the dose of a procedure: give --kap or --entrance-kerma");
    }
    if (app.count("--eye") > 0) {
        eye = parseEyePosition(eyeText);
        if (!eye) {
            return refuse("--eye \"" + eyeText +
                          "\" is not a position X,Z in cm (two decimal numbers, as in --eye "
                          "60,-30)");
        }
        if (!isInsideGrid(*eye)) {
            return refuse("--eye " + eyeText +
                          " lies outside the distribution grid (X 50 to 150 cm, Z -100 to 50 "
                          "cm), where no kerma is known - give a position within it");
        }
    }
    if (resultFile.empty()) {
        errors << "korvana-results: expected one result file name\n" << resultsUsage();
        return 1;
    }
    if (app.count("--csv") > 0 && csvDirectory.empty()) {
        errors << "korvana-results: --csv needs a directory\n" << resultsUsage();
        return 1;
    }
    // Every file to be written is judged before any work: a result, a table
    // or a program is never replaced by an export or a case.
    if (const std::string problem = outputProblem(resultFile, csvDirectory, workload.has_value(),
                                                  caseFile, app.count("--save-case") > 0, force);
        !problem.empty()) {
        errors << "korvana-results: " << problem << '\n';
        return 2;
    }
    try {
        ResultSet set;
        loadResultSet(resultFile, set);
        try {
            attachUncertainties(set);
        } catch (const DataError& e) {
            // The result itself is fine: report it without errors.
            errors << "korvana-results: warning: " << e.what()
                   << " (the relative errors are not shown)\n";
        }
        // The room: a damaged or foreign scene or points file ends the command,
        // as a result whose eye points cannot be told would mislead.
        attachScene(set);
        const EyeLensDoseTables tables = loadEyeLensDoseTables();
        std::optional<AnnualEyeLensDose> annual;
        if (workload) {
            annual =
                computeAnnualEyeLensDose(set, tables, *workload, REPORT_GLASSES_MM_PB, 0.0, eye);
        }
        std::vector<std::string> written;
        if (!csvDirectory.empty()) {
            written = writeCsvExports(set, tables, leadMm, csvDirectory, annual);
        }
        printReport(set, tables, out);
        if (annual) printAnnual(set, *annual, out);
        if (hasEyePoints(set)) {
            printEyePoints(
                set, computeEyePointDoses(set, tables, REPORT_GLASSES_MM_PB, 0.0, workload), out);
        }
        for (const std::string& path : written) out << "Wrote " << path << '\n';
        if (!caseFile.empty()) {
            CaseEntries entries = caseOfResult(set);
            // The room the result was made in, as the engine saved it beside the result.
            if (const std::string scene = sceneFileName(resultFile); !nothingNamed(scene)) {
                setCaseScene(entries, readSceneFile(scene));
            }
            writeCaseFile(caseFile, entries);
            out << "Wrote " << caseFile << " (the case of " << resultFile
                << "; the result file does not record the rectification)\n";
        }
        return 0;
    } catch (const DataError& e) {
        errors << "korvana-results: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace korvana::app
