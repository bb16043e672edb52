// Writing one line with a fixed-column record format.
//
// Output rules:
//  - every field is right-aligned and blank-padded to its width;
//  - Fw.d rounds to d decimals; a value below 1 in magnitude has no 0 before
//    the point (0.5 in F6.1 is "    .5");
//  - Ew.d writes a point, d significant digits, E, a sign and two exponent
//    digits, with no digit before the point (12.5 in E10.4 is " .1250E+02");
//  - a value that does not fit its field fills the field with asterisks;
//  - rounding is to nearest on the exact binary value of the number.
// Literals and nX are emitted as they are reached; line() completes the record.
#pragma once

#include <string>
#include <string_view>

#include "common/record_format.h"

namespace korvana {

class RecordWriter {
public:
    explicit RecordWriter(const RecordFormat& format);
    //! The writer keeps a reference to the format, so it must outlive the writer.
    explicit RecordWriter(RecordFormat&& format) = delete;

    //! Writes the next I, F or E field (an I field takes the value rounded to nearest).
    RecordWriter& real(double value);
    RecordWriter& integer(long value);
    //! Writes the next A field: right-aligned when shorter, its first w characters when longer.
    RecordWriter& text(std::string_view value);

    //! The finished line without a line end. Every value field must have been given.
    std::string line();

private:
    const FormatItem& nextValueItem();
    void emitLayoutItems();

    const RecordFormat& m_format;
    std::size_t m_item = 0;
    std::string m_line;
};

//! Single fields, for callers that build a line from one descriptor.
std::string formatFixed(double value, int width, int decimals);
std::string formatExponent(double value, int width, int decimals);
std::string formatInteger(long value, int width);

//! The line end of every file the programs write.
inline constexpr std::string_view LINE_END = "\r\n";

}  // namespace korvana
