// The free-form reader: every number of a file, one after another, from its
// first line and from a line further on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/common/free_form_reader.h"
#include "common/data_error.h"
#include "common/text_file.h"
#include "fuzz_input.h"

using namespace korvana;

namespace {

void readAll(const TextLines& file, std::size_t firstLine) {
    app::FreeFormReader reader(file, firstLine);
    try {
        for (;;) {
            (void)reader.next("a number");
            (void)reader.lastPosition();
        }
    } catch (const DataError&) {
        // a damaged item or the end of the file: every read ends here
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TextLines file =
            readTextFile(fuzz::writeInputFile("numbers.dat", data, size), FileKind::PhysicsTable);
        readAll(file, 0);
        readAll(file, file.lines.size() / 2);
        readAll(file, file.lines.size() + 1);
    } catch (const DataError&) {
    }
    return 0;
}
