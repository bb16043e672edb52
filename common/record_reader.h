// Reading one line with a fixed-column record format.
//
// Input rules for numeric fields (I, F, E):
//  - blanks inside a field are ignored; a field of blanks only reads as 0;
//  - a field without a decimal point takes the format's d decimals
//    (the digits 105 under F6.1 read as 10.5);
//  - an exponent may follow the digits: E-03, e2, D+02, or a bare sign and digits (1.5-3);
//  - F and E fields accept the same spellings.
// The rest of the line after the last field is skipped. A numeric field that
// lies wholly beyond the end of the line is an error (the line is too short);
// one that is cut off by the line end is read from the characters present.
// Reals are converted once, from the decimal text, to the nearest float.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/data_error.h"
#include "common/record_format.h"

namespace korvana {

class RecordReader {
public:
    //! Reads `line` (without its line end) found at `where` with `format`.
    RecordReader(const RecordFormat& format, std::string_view line, SourcePosition where);
    //! The reader keeps a reference to the format, so it must outlive the reader.
    RecordReader(RecordFormat&& format, std::string_view line, SourcePosition where) = delete;

    //! The next I, F or E field; literals and blanks before it are passed over.
    float readReal();
    long readInteger();
    //! The next A field, padded with blanks to its width when the line ends early.
    std::string readText();

    //! 1-based column of the next unread character (after the last field read).
    int column() const { return m_column; }

private:
    const FormatItem& nextValueItem();

    const RecordFormat& m_format;
    std::string_view m_line;
    SourcePosition m_where;
    std::size_t m_item = 0;
    int m_column = 1;
};

//! All numeric fields of one line in order; a format with A fields is rejected.
std::vector<float> readReals(const RecordFormat& format, std::string_view line,
                             const SourcePosition& where);

//! Converts the text of one numeric field under a format's d decimals.
//! Throws DataError at `where` when the text is not a number.
float parseFixedReal(std::string_view field, int impliedDecimals, const SourcePosition& where);
long parseFixedInteger(std::string_view field, const SourcePosition& where);

//! A free-form number: the first blank- or comma-delimited item of `line`,
//! in any real notation (20, 20.0, 2.0E+01, .5e1). Returns false when the line
//! holds no item at all; throws when the first item is not a number.
bool parseFreeReal(std::string_view line, const SourcePosition& where, float& value);

}  // namespace korvana
