// The validation report: reads the files of a validation run (the programs'
// own outputs, laid out by tools/validate.sh) and the shipped tables, compares
// them with published values and between the two estimators, and writes
// REPORT.md with its SVG plots in the folder beside it named after it
// (docs/validation.md -> docs/validation/).
//
// The run folder holds:
//   hvl/al2.5, hvl/al3.0, hvl/al4.0   B_SPCTL.dat and HVL_S2.dat (80 kV, 11 degree W anode)
//   iso/N-60, iso/N-80                B_SPCTL.dat of the ISO 4037 narrow-series beams
//   scatter/kv80, scatter/kv100       scatter.data and scatter.unc.csv (no curtain)
//   compare/NAME/                     analog.data, next-event.data and their .unc.csv,
//                                     one folder per condition, in name order
//   rooms/compare/NAME/               the same pairs run with a scene, each result with
//                                     its NAME.scene.json
//   rooms/shielding                   next-event runs of one seed: open.data (with an
//                                     eye point), full-cover.data (one shield covering
//                                     every point) and ceiling.data (a ceiling shield
//                                     and the eye point), with their .unc.csv, scene
//                                     files and the eye points' .points.csv
#pragma once

#include <string>
#include <vector>

namespace korvana::validation {

struct ReportSettings {
    std::string runDir;              //!< the validation run's folder (layout above)
    std::string dataDir;             //!< the shipped tables (d-DperK.dDk, MU_en2016.dat)
    std::string reportFile;          //!< the Markdown file to write
    std::string date;                //!< when the run was made, as shown
    std::string commit;              //!< the commit the programs were built from, as shown
    std::string elapsed;             //!< the run's duration, as shown; empty: not shown
    std::vector<std::string> notes;  //!< lines on how the runs were made, listed as given
};

//! Writes the report and its plots. Throws DataError when an input is missing
//! or malformed, or a file cannot be written.
void writeValidationReport(const ReportSettings& settings);

}  // namespace korvana::validation
