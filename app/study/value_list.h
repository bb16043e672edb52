// The values one study option takes: one number, a comma list ("0,0.25,0.35")
// or a range "start:stop:step" ("60:100:20"), and lists mixing both.
//
// A range holds start + i x step for i = 0, 1, ... up to the stop, which is
// included when it is reached within rounding (a millionth of a step); its
// values are written with up to 12 significant digits, so 0.1:0.3:0.1 gives
// "0.1", "0.2", "0.3". Listed numbers keep the spelling typed. Refused with a
// DataError naming the option: an empty item, an item that is not one finite
// number, a range without three parts, a zero step, a step pointing away from
// the stop, a range of more than MAX_RANGE_VALUES values, and a value listed twice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvana::study {

//! More values than a study could ever run (it stops at 1000 conditions
//! without --yes); the bound keeps a mistyped step from filling the memory.
inline constexpr std::size_t MAX_RANGE_VALUES = 100000;

//! The values of `text` for the option `option` (named in messages, e.g. "--kv").
std::vector<std::string> expandNumberList(std::string_view text, std::string_view option);

//! Field sizes: items "LONGxSHORT" [cm], or one number or a range of numbers
//! for square fields ("25" is "25x25").
std::vector<std::string> expandFieldList(std::string_view text, std::string_view option);

//! Words of a fixed set ("cp,3phase"), each once.
std::vector<std::string> expandWordList(std::string_view text, std::string_view option,
                                        const std::vector<std::string>& words);

//! The number a listed value stands for; it must be one finite number
//! (an optional sign, digits with at most one point, an optional exponent).
//! Throws DataError naming the option otherwise.
double strictNumber(std::string_view text, std::string_view option);

}  // namespace korvana::study
