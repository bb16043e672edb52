// The local date, behind an interface so tests can fix it.
#pragma once

#include <QDate>
#include <QString>

namespace korvana::forms {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate currentDate() const = 0;
};

class SystemClock : public Clock {
public:
    QDate currentDate() const override { return QDate::currentDate(); }
};

//! The date as month-day-year with two-digit month and day: "03-07-2025".
inline QString monthDayYear(const QDate& date) {
    return date.toString(QStringLiteral("MM-dd-yyyy"));
}

}  // namespace korvana::forms
