// The rectification's caption as the main form's option buttons show it, for
// the windows that name a rectification in their messages.
#pragma once

#include <QString>

#include "app/spectrum/irradiation_conditions.h"

namespace korvana::forms {

//! "定電圧", "三相12ピーク" or "単相全波".
QString rectificationCaption(app::RectificationMode mode);

}  // namespace korvana::forms
