#include "app/spectrum/generate_spectrum.h"

#include "app/spectrum/spectrum_file.h"

namespace korvana::app {

SpectrumRun generateSpectrum(const ConditionTexts& texts, RectificationMode rectification,
                             const MaterialTables& tables, const std::string& fileName) {
    SpectrumRun run;
    run.reading = readIrradiationConditions(texts, rectification);
    run.spectrum = computeIncidentSpectrum(run.reading.conditions, tables);
    writeSpectrumFile(run.spectrum, run.reading.conditions, fileName);
    return run;
}

}  // namespace korvana::app
