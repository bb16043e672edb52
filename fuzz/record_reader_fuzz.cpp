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
    const std::string fileName = fuzz::writeInputFile("table.dat", data + lineEnd + 1,
                                                      size - lineEnd - 1);
    try {
        const TextLines file = readTextFile(fileName);
        LineCursor cursor(file);
        while (!cursor.atEnd()) {
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
