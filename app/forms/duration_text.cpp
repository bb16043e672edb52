#include "app/forms/duration_text.h"

#include <algorithm>

#include "app/run/run_time_estimate.h"

namespace korvana::forms {

QString durationText(double seconds) {
    const std::optional<long long> shown = app::shownSeconds(std::max(seconds, 0.0));
    if (!shown) return QStringLiteral("?");
    const long long whole = *shown;
    if (whole < 60) return QStringLiteral("%1 秒").arg(whole);
    if (whole < 3600) return QStringLiteral("%1 分 %2 秒").arg(whole / 60).arg(whole % 60);
    const long long minutes = (whole + 30) / 60;
    return QStringLiteral("%1 時間 %2 分").arg(minutes / 60).arg(minutes % 60);
}

}  // namespace korvana::forms
