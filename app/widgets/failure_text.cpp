#include "app/widgets/failure_text.h"

#include "common/data_error.h"

namespace korvana::forms {

namespace {

QString placeOf(const SourcePosition& where) {
    QString place = QString::fromStdString(where.fileName);
    if (where.line > 0) {
        if (!place.isEmpty()) place += QStringLiteral(" の ");
        place += QStringLiteral("%1 行目").arg(where.line);
    }
    if (where.column > 0) {
        place += (place.isEmpty() || where.line > 0 ? QStringLiteral(" ") : QStringLiteral(" の "));
        place += QStringLiteral("%1 桁目").arg(where.column);
    }
    return place.trimmed();
}

}  // namespace

QString failureDetail(const std::exception& error) {
    const auto* dataError = dynamic_cast<const DataError*>(&error);
    if (!dataError) return QStringLiteral("原因: ") + QString::fromStdString(error.what());
    QString detail;
    if (const QString place = placeOf(dataError->where()); !place.isEmpty()) {
        detail = QStringLiteral("場所: ") + place + QLatin1Char('\n');
    }
    return detail + QStringLiteral("原因: ") + QString::fromStdString(dataError->problem());
}

}  // namespace korvana::forms
