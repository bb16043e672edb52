// The numeric value of a text typed into a text box.
//
// Blanks, tabs and line feeds anywhere in the text are ignored. Then an
// optional sign, decimal digits with at most one point (always ".") and an
// optional exponent (E or e, an optional sign, digits) are taken as far as
// they go; the first other character ends the number. A text that starts with
// &H or &O (either case) is a hexadecimal or octal integer. An empty or
// non-numeric text is 0. So "1 2" is 12, "80kV" is 80, "&H1F" is 31, "abc" is 0.
#pragma once

#include <string_view>

namespace korvana::app {

//! The value of `text` by the rule above. A number beyond the range of a double
//! gives plus or minus infinity, one too small for it 0.
double textValue(std::string_view text);

//! True when `text` (blanks ignored as above) is one number and nothing else,
//! so that textValue reads all of it; false for empty or trailing characters.
bool isWholeNumber(std::string_view text);

}  // namespace korvana::app
