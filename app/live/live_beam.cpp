#include "app/live/live_beam.h"

#include "app/spectrum/spectrum_file.h"
#include "common/data_error.h"
#include "common/file_names.h"

namespace korvana::app {

LiveBeam prepareLiveBeam(const LiveInputs& inputs, const LiveTables& tables) {
    LiveBeam beam;
    beam.reading = readIrradiationConditions(liveConditionTexts(inputs), inputs.rectification);
    beam.spectrum = computeIncidentSpectrum(beam.reading.conditions, tables.material);
    beam.spectrumLines = formatSpectrumLines(beam.spectrum, beam.reading.conditions);
    beam.engineSpectrum =
        readSpectrumLines({SPECTRUM_FILE, beam.spectrumLines}, DescriptorLines::Read);
    try {
        beam.hvl =
            hvl::computeHvl(beam.engineSpectrum.spectrum, tables.aluminiumHvl, tables.physics->air);
    } catch (const DataError& error) {
        // A beam too hard for 3 cm of aluminium still has its scatter.
        beam.hvlProblem = error.what();
    }
    beam.run = engine::readRunLines({RUN_FILE, liveRunFileLines(inputs, 1, "live")});
    return beam;
}

}  // namespace korvana::app
