// Free-form numbers of a text file, one after another across its lines.
//
// An item ends at a blank, a tab, a comma or the line end; runs of separators
// and empty lines are passed over. An item is a real in any notation (sign,
// point, exponent with E or D). Reading never depends on columns, so a file
// written with fixed columns reads the same as one written with any spacing.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/data_error.h"
#include "common/text_file.h"

namespace korvana::app {

class FreeFormReader {
public:
    //! Starts at the beginning of line `firstLine` (0-based) of `file`, which
    //! must outlive the reader.
    explicit FreeFormReader(const TextLines& file, std::size_t firstLine = 0);

    //! The next number. Throws DataError at the item's line and column when it
    //! is not a finite number, and at the end of the file when there is none;
    //! `expectedWhat` names the value for the message.
    double next(std::string_view expectedWhat);

    //! Where the item last returned by next() began.
    const SourcePosition& lastPosition() const { return m_last; }

private:
    const TextLines& m_file;
    std::size_t m_line;
    std::size_t m_column = 0;  // 0-based position in the current line
    SourcePosition m_last;
};

}  // namespace korvana::app
