#include "driver.h"

#include "data_error.h"
#include "file_names.h"
#include "random_stream.h"
#include "record_format.h"
#include "record_writer.h"
#include "result_file.h"
#include "simulation.h"
#include "text_file.h"

#include <memory>

namespace korvana::engine {

namespace {

void showBanner(Console& console) {
    for (const char* line : {"", "", "      ***  Monte Carlo Simulation  ***", "",
                             "   Calculation of side scattered radiation",
                             "          of the irradiated object",
                             "            with the Pb curtain", "               2024 version", "",
                             "  ---  Push Enter key to calculation start ---"}) {
        console.writeLine(line);
    }
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
    if (name.empty()) {
        console.writeLine("File name missing or blank - please enter file name");
        name = askForFileName(console);
    }
    while (!name.empty()) {
        try {
            writeTextFileAtomically(name, lines);
            return true;
        } catch (const DataError& e) {
            console.writeLine(std::string("Result file ") + e.what());
            console.writeLine("Please enter another file name");
            name = askForFileName(console);
        }
    }
    console.writeLine("No file name given - the results were not saved.");
    return false;
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
    loadEngineInputs(*inputs);
    auto scores = std::make_unique<Scores>();
    const EngineInputs& in = *inputs;

    showBanner(console);
    console.waitForEnter();

    console.writeLine(" <<< Monte Carlo Simulation >>>");
    const ClockTime startClock = clock.now();
    console.writeLine(clockLine("Start time", startClock));

    simulate(in, TransportBuild::Fast, stream, *scores, [&](int bin) {
        console.writeLine(progressLine(bin, in.spectrum.topBin + 1));
    });

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
