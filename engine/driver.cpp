#include "driver.h"

#include "beam.h"
#include "data_error.h"
#include "file_names.h"
#include "grid_tables.h"
#include "random_stream.h"
#include "record_format.h"
#include "record_writer.h"
#include "result_file.h"
#include "run_parameters.h"
#include "text_file.h"
#include "tissue_tables.h"
#include "transport.h"

#include <memory>

namespace korvana::engine {

namespace {

//! Everything read before the banner. The tables live for the whole run.
struct EngineInputs {
    TissueTables tissue;
    GridTable air{};
    GridTable lead{};
    RunParameters run;
    SpectrumFile spectrumFile;
    PreparedSpectrum spectrum;
};

void loadInputs(EngineInputs& in) {
    in.tissue = loadTissueTables(TISSUE_TABLE_FILE);
    in.air = loadAirEnergyAbsorption(AIR_TABLE_FILE);
    in.lead = loadLeadAttenuation(LEAD_TABLE_FILE);
    in.run = readRunFile(RUN_FILE);
    in.spectrumFile = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read);
    in.spectrum = prepareSpectrum(in.spectrumFile.spectrum, SPECTRUM_FILE);
    // Every ratio of the result file divides by the primary kerma: refuse a run
    // that would have none now, not after the histories.
    if (!(primaryKerma(in.spectrum, in.air, in.run) > 0.0f)) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "the spectrum gives no primary air kerma (no bin from 5 keV up holds "
                        "photons) - compute the spectrum again in the main window");
    }
}

void showBanner(Console& console) {
    for (const char* line : {"", "", "      ***  Monte Carlo Simulation  ***", "",
                             "   Calculation of side scattered radiation",
                             "          of the irradiated object",
                             "            with the Pb curtain", "               2024 version", "",
                             "  ---  Push Enter key to calculation start ---"}) {
        console.writeLine(line);
    }
}

std::string trimTrailingBlanks(const std::string& text) {
    const std::size_t end = text.find_last_not_of(" \t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

//! Asks on the console for a result file name until one is usable. Returns an
//! empty name only when the console has no more input.
std::string askForFileName(Console& console) {
    for (;;) {
        console.writeLine("UNIT 1? ");
        const std::optional<std::string> typed = console.readLine();
        if (!typed) return {};
        const std::string name = trimTrailingBlanks(*typed);
        const std::string problem = fileNameProblem(name);
        if (problem.empty()) return name;
        console.writeLine("File name cannot be used (" + problem + ") - please enter file name");
    }
}

//! Writes the result file; a name that is blank or cannot be written is asked
//! for again on the console, so a finished run is not thrown away.
bool saveResults(Console& console, std::string name, const std::vector<std::string>& lines) {
    for (;;) {
        if (name.empty()) {
            console.writeLine("File name missing or blank - please enter file name");
            name = askForFileName(console);
            if (name.empty()) {
                console.writeLine("No file name given - the results were not saved.");
                return false;
            }
        }
        try {
            writeTextFileAtomically(name, lines);
            return true;
        } catch (const DataError& e) {
            console.writeLine(std::string("Result file ") + e.what());
            name.clear();
        }
    }
}

}  // namespace

std::string clockLine(const char* caption, const ClockTime& time) {
    const RecordFormat format(std::string("(' ',' ") + caption + " =',I2,':',I2,':',I2)");
    // The first blank of the record is carriage control and is not shown.
    return RecordWriter(format).integer(time.hour).integer(time.minute).integer(time.second)
        .line()
        .substr(1);
}

std::string progressLine(int bin, int lastBinPlusOne) {
    static const RecordFormat format("(' ',I3,' / ',I3)");
    return RecordWriter(format).integer(bin).integer(lastBinPlusOne).line().substr(1);
}

int runEngine(Console& console, const Clock& clock) {
    RandomStream stream;
    stream.initialise();
    // Large tables: kept off the stack.
    auto inputs = std::make_unique<EngineInputs>();
    loadInputs(*inputs);
    auto scores = std::make_unique<Scores>();
    const EngineInputs& in = *inputs;

    showBanner(console);
    console.waitForEnter();

    console.writeLine(" <<< Monte Carlo Simulation >>>");
    const ClockTime startClock = clock.now();
    console.writeLine(clockLine("Start time", startClock));

    const TransportContext context{in.tissue, in.run, phantomBoxFor(in.run),
                                   ScoringContext{in.air, in.lead, leadCurtainFor(in.run)}};
    for (int bin = FIRST_SIMULATED_BIN; bin <= in.spectrum.topBin; ++bin) {
        console.writeLine(progressLine(bin, in.spectrum.topBin + 1));
        const std::int64_t count = binPhotonCount(in.spectrum, bin, in.run.historyCount);
        if (count <= 0) continue;
        const float binEnergy = static_cast<float>(bin) * 0.5f;
        for (std::int64_t n = 0; n < count; ++n) {
            runHistory(binEnergy, context, stream, *scores);
        }
    }

    console.writeLine("");
    console.writeLine(clockLine("Start time", startClock));
    console.writeLine("");

    const RunTotals totals = finishRun(*scores, in.spectrum, in.air, in.run);
    const std::vector<std::string> lines =
        resultFileLines(totals, *scores, in.spectrum, in.run, in.spectrumFile.descriptor);
    const bool saved = saveResults(console, in.run.resultFileName, lines);

    console.writeLine(clockLine("Finish time", clock.now()));
    console.writeLine("");
    if (saved) {
        console.writeLine("  ---     Result was saved     ---");
    }
    console.writeLine("  ---      Push Enter key      ---");
    console.waitForEnter();
    console.writeLine("Stop - Program terminated.");
    return saved ? 0 : 1;
}

}  // namespace korvana::engine
