// The fixed-column record reader: the first line is a record format, the rest
// a file whose every line is read with it, field by field as its items say,
// and as free-form numbers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/data_error.h"
#include "common/record_format.h"
#include "common/record_reader.h"
#include "common/text_file.h"
#include "fuzz_input.h"

namespace {

using namespace korvana;

constexpr std::size_t MAX_ITEM_STEPS = 1000000;

void readFields(const RecordFormat& format, std::string_view line, const SourcePosition& where) {
    RecordReader reader(format, line, where);
    bool hasText = false;
    for (const FormatItem& item : format.items()) {
        switch (item.kind) {
            case FieldKind::Text:
                hasText = true;
                (void)reader.readText();
                break;
            case FieldKind::Integer:
                (void)reader.readInteger();
                break;
            case FieldKind::Fixed:
            case FieldKind::Exponent:
                (void)reader.readReal();
                break;
            case FieldKind::Blanks:
            case FieldKind::Literal:
                break;
        }
    }
    (void)reader.column();
    if (!hasText) (void)readReals(format, line, where);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos) return 0;
    std::optional<RecordFormat> format;
    try {
        format.emplace(text.substr(0, lineEnd));
    } catch (const DataError&) {
        return 0;
    }
    const std::string fileName =
        fuzz::writeInputFile("table.dat", data + lineEnd + 1, size - lineEnd - 1);
    try {
        const TextLines file = readTextFile(fileName, FileKind::PhysicsTable);
        LineCursor cursor(file);
        // Reading a line walks the whole item list; the programs' formats have a
        // few items, so a format of many thousands over many lines would only
        // measure that walk. Such inputs are cut to a million item steps.
        std::size_t itemSteps = 0;
        while (!cursor.atEnd() && itemSteps < MAX_ITEM_STEPS) {
            itemSteps += format->items().size() + 1;
            const std::string_view line = cursor.nextLine("a record");
            const SourcePosition where = cursor.position();
            try {
                readFields(*format, line, where);
            } catch (const DataError&) {
            }
            for (const FormatItem& item : format->items()) {
                if (!carriesValue(item.kind) || item.kind == FieldKind::Text) continue;
                try {
                    (void)parseFixedReal(line, item.decimals, where);
                } catch (const DataError&) {
                }
                try {
                    (void)parseFixedInteger(line, where);
                } catch (const DataError&) {
                }
                break;
            }
            float value = 0;
            try {
                (void)parseFreeReal(line, where, value);
            } catch (const DataError&) {
            }
        }
        LineCursor freeCursor(file);
        for (;;) (void)freeCursor.nextFreeReal("a number");
    } catch (const DataError&) {
    }
    return 0;
}
