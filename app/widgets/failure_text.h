// The second part of every failure message: where the problem was found
// (file, line and column as far as known) in Japanese, then the cause as the
// reading code states it.
#pragma once

#include <QString>
#include <exception>

namespace korvana::forms {

//! "場所: a.data の 12 行目 5 桁目\n原因: ..." for a DataError with a
//! position; only "原因: ..." without one or for any other error.
QString failureDetail(const std::exception& error);

}  // namespace korvana::forms
