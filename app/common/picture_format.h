// Format pictures of the interactive program: how a number is written into a
// text box, a label or a file.
//
//   "0"    a mandatory digit: written even when it is a leading or trailing zero
//   "#"    an optional digit: a leading zero there is not written; after the
//          point, trailing zeros there are dropped
//   "."    the decimal point, always "." whatever the locale
//   "E+00" an exponent: E, a sign always written ("E-" writes only a minus),
//          at least as many digits as there are 0s after the sign
// The value is rounded to the decimals the picture shows, halves away from zero
// on the exact binary value. An integer part wider than the picture is written
// with all its digits ("00.0" of 123.45 is "123.5"). A value that rounds to zero
// is written without a sign. Examples: "0000.0" of 10.5 is "0010.5", "#0.0" of
// 0.25 is "0.3", "0.000E+00" of 12345 is "1.235E+04". A value that is not
// finite is written as "Infinity", "-Infinity" or "NaN".
#pragma once

#include <string>
#include <string_view>

namespace korvana::app {

//! `value` written with `picture`; throws std::invalid_argument for a picture
//! with characters other than 0 # . E e + - (pictures are program constants).
std::string formatPicture(double value, std::string_view picture);

}  // namespace korvana::app
