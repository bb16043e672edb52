// The one error type for bad input and bad data files.
//
// Every check on a file, a record or a value a user supplied throws DataError.
// It carries where the problem was found (file, 1-based line and column; 0 when
// not known) so that `main` can tell the user exactly what to mend.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvana {

//! Where in a text file a record or field was read.
struct SourcePosition {
    std::string fileName;  //!< plain file name as opened; empty for console input
    int line = 0;          //!< 1-based line number, 0 when not tied to a line
    int column = 0;        //!< 1-based column of the field, 0 when not tied to a field
};

class DataError : public std::runtime_error {
public:
    //! `problem` reads "what is wrong (why) what to do"; the position is prefixed.
    DataError(const SourcePosition& where, const std::string& problem);
    explicit DataError(const std::string& problem);

    const SourcePosition& where() const { return m_where; }
    const std::string& problem() const { return m_problem; }

private:
    SourcePosition m_where;
    std::string m_problem;
};

//! "file:line:column: " as far as the position is known.
std::string describePosition(const SourcePosition& where);

//! Characters of a value that a message quotes at most.
inline constexpr std::size_t QUOTED_VALUE_CHARACTERS = 40;

//! A value read from a file or typed by a user, as a message quotes it:
//! between `mark`s, at most QUOTED_VALUE_CHARACTERS characters followed by
//! "..." and the value's length when it is longer, so a damaged file cannot
//! flood the message; control characters, bytes that are not UTF-8, the mark
//! and the backslash written as escapes (\n, \t, \x1B, \u202E), so nothing in a
//! value reaches the terminal raw.
std::string quoteValue(std::string_view value, char mark = '"');

}  // namespace korvana
