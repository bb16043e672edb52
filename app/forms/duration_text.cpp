#include "app/forms/duration_text.h"

#include <cmath>

namespace korvana::forms {

QString durationText(double seconds) {
    const long long whole = std::llround(std::max(seconds, 0.0));
    if (whole < 60) return QStringLiteral("%1 秒").arg(whole);
    if (whole < 3600) return QStringLiteral("%1 分 %2 秒").arg(whole / 60).arg(whole % 60);
    const long long minutes = (whole + 30) / 60;
    return QStringLiteral("%1 時間 %2 分").arg(minutes / 60).arg(minutes % 60);
}

}  // namespace korvana::forms
