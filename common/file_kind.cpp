#include "common/file_kind.h"

#include <array>
#include <cstddef>

namespace korvana {

namespace {

constexpr std::uint64_t MB = 1024 * 1024;

}  // namespace

const FileKindFacts& fileKindFacts(FileKind kind) {
    // In the order of FileKind; the caps and their reasons are in regular_file.h.
    static constexpr std::array<FileKindFacts, 17> facts = {{
        {"result file", "a result file", 16 * MB},                     // Result
        {"uncertainty file", "a result's uncertainty file", 16 * MB},  // Uncertainty
        {"case file", "a case file", 1 * MB},                          // Case
        {"scene file", "a scene file", 1 * MB},                        // Scene
        {"eye points file", "a result's eye points", 1 * MB},          // Points
        {"CSV table", "a CSV table", 1024 * MB},                       // CsvTable
        {"engine log", "a program's log", 64 * MB},                    // Log
        {"data table", "a physics table", 4 * MB},                     // PhysicsTable
        {"run file", "the run file", 1 * MB},                          // RunFile
        {"spectrum file", "the spectrum file", 1 * MB},                // Spectrum
        {"HVL result file", "the HVL results file", 1 * MB},           // HvlResults
        {"engine speed file", "the kept engine speeds", 1 * MB},       // EngineSpeeds
        {"study identity file", "a study's record", 1 * MB},           // StudyIdentity
        {"file", "a program", 1 * MB},                                 // Program
        {"file", "a directory", 1 * MB},                               // Directory
        {"file", "a special file (FIFO, socket or device)", 1 * MB},   // Special
        {"file", "a file no Korvana program writes", 1 * MB},          // Other
    }};
    static_assert(static_cast<std::size_t>(FileKind::Other) + 1 == facts.size(),
                  "a row for every kind");
    return facts[static_cast<std::size_t>(kind)];
}

}  // namespace korvana
