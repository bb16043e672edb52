// A wall time as the windows write it: "45 秒", "3 分 20 秒", "2 時間 5 分".
#pragma once

#include <QString>

namespace korvana::forms {

//! `seconds` rounded to the whole second (to the minute from an hour up); "?"
//! for a time no estimate can mean (app::shownSeconds).
QString durationText(double seconds);

}  // namespace korvana::forms
