#include "generate_spectrum.h"

#include "file_names.h"
#include "spectrum_file.h"

namespace korvana::app {

SpectrumRun generateSpectrum(const ConditionTexts& texts, RectificationMode rectification,
                             const MaterialTables& tables) {
    SpectrumRun run;
    run.reading = readIrradiationConditions(texts, rectification);
    run.spectrum = computeIncidentSpectrum(run.reading.conditions, tables);
    writeSpectrumFile(run.spectrum, run.reading.conditions, SPECTRUM_FILE);
    return run;
}

}  // namespace korvana::app
