// korvana-spectrum's arguments (separated by NUL characters, as in argv), and
// the reading of the conditions the command makes of them before computing.
#include <cstddef>
#include <cstdint>

#include "app/spectrum/irradiation_conditions.h"
#include "app/spectrum/spectrum_command.h"
#include "common/data_error.h"
#include "fuzz_input.h"

using namespace korvana;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const app::SpectrumOptions options =
            app::parseSpectrumOptions(fuzz::splitArguments(data, size));
        if (!options.help)
            (void)app::readIrradiationConditions(options.texts, options.rectification);
    } catch (const DataError&) {
    }
    return 0;
}
