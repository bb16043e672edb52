// The engine's run file B2F.txt. Every run file the engine accepts must fit
// the result file's condition columns (no field of asterisks) and be accepted
// by the launch dialog's rule as well.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/record_format.h"
#include "common/record_writer.h"
#include "common/run_limits.h"
#include "engine/inputs/run_parameters.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvana;
    const std::string fileName = fuzz::writeInputFile("B2F.txt", data, size);
    engine::RunParameters p;
    try {
        p = engine::readRunFile(fileName);
    } catch (const DataError&) {
        return 0;
    }
    static const RecordFormat f51("(F5.1)"), f53("(F5.3)"), e81("(E8.1)");
    const auto fits = [](const RecordFormat& format, float value) {
        return RecordWriter(format).real(value).line().find('*') == std::string::npos;
    };
    if (!fits(f51, p.phantomThickness) || !fits(f51, p.focusSurfaceDistance) ||
        !fits(f51, p.fieldSizeY) || !fits(f51, p.fieldSizeX) ||
        !fits(f53, p.curtainLeadThickness * 10.0f) || !fits(f51, p.curtainLength) ||
        !fits(e81, p.historyCount)) {
        __builtin_trap();  // accepted, yet the result file could not hold it
    }
    const RunValues values{p.phantomThickness, p.focusSurfaceDistance, p.fieldSizeY,
                           p.fieldSizeX,       p.curtainLeadThickness, p.curtainLength,
                           p.historyCount};
    if (checkRunValues(values)) __builtin_trap();  // the engine and the dialog disagree
    return 0;
}
