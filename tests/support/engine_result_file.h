// A result file written by the engine itself in the current directory, for
// the tests of the engine's whole runs and of the result viewers (the engine
// is linked by the tests only).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "engine/run/result_file.h"
#include "engine/run/simulation.h"
#include "engine_case.h"

namespace korvana::testing {

//! A run whose nine measuring points all receive photons.
inline RunFileValues viewerRun() {
    RunFileValues run;
    run.histories = "2.000E+05";
    return run;
}

//! Runs the engine on the run file and spectrum of the current directory and
//! returns its result file's lines, without writing them.
inline std::vector<std::string> engineResultLines(
    const RunFileValues& run, engine::TransportBuild build = engine::TransportBuild::Fast) {
    run.write();
    auto in = std::make_unique<engine::EngineInputs>();
    engine::loadEngineInputs(*in);
    engine::RandomStream stream = engine::RandomStream::withFixedSeed();
    auto scores = std::make_unique<engine::Scores>();
    engine::simulate(*in, build, stream, *scores, [](int) {});
    const engine::RunTotals totals = engine::finishRun(*scores, in->spectrum, in->air, in->run);
    return engine::resultFileLines(totals, *scores, in->spectrum, in->run,
                                   in->spectrumFile.descriptor);
}

//! Runs the engine on a smooth 80 kV-like spectrum with `run` and writes its
//! result file under run.resultName; returns the file's 353 lines.
inline std::vector<std::string> writeEngineResultFile(const RunFileValues& run) {
    copyEngineTables();
    writeSpectrum(smoothSpectrum());
    writeLines(run.resultName, engineResultLines(run));
    return readTextFile(run.resultName, FileKind::Result).lines;
}

//! The numbers of one line of a result file.
inline std::vector<double> numbersOfLine(const std::string& line) {
    std::vector<double> values;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t used = 0;
        const std::string rest = line.substr(pos);
        if (rest.find_first_not_of(" \t\r") == std::string::npos) break;
        values.push_back(std::stod(rest, &used));
        pos += used;
    }
    return values;
}

}  // namespace korvana::testing
