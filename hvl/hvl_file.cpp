#include "hvl/hvl_file.h"

#include "common/record_format.h"
#include "common/record_writer.h"
#include "common/text_file.h"

namespace korvana::hvl {

namespace {

constexpr float CM_TO_MM = 10.0f;

std::string formatted(const char* descriptors, float value) {
    const RecordFormat format(descriptors);
    RecordWriter writer(format);
    writer.real(value);
    return writer.line();
}

}  // namespace

std::vector<std::string> formatHvlLines(const HvlResult& result) {
    return {
        formatted("(F6.3)", result.firstHvlCm * CM_TO_MM),
        formatted("(F6.2)", result.firstEffectiveEnergyKev),
        formatted("(F6.3)", result.secondHvlCm * CM_TO_MM),
        formatted("(F6.2)", result.secondEffectiveEnergyKev),
        formatted("(F15.0)", result.fluencePerExposure),
    };
}

void writeHvlFile(const HvlResult& result, const std::string& fileName) {
    writeTextFileAtomically(fileName, formatHvlLines(result));
}

}  // namespace korvana::hvl
