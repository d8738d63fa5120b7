#include "DateTime.h"

#include <cmath>

namespace
{
// A function-local static: other files' static initialisers may convert dates too.
const QDate &epoch()
{
    static const QDate date(1899, 12, 30);
    return date;
}
} // namespace

double toDayCount(const QDate &date, const QTime &time)
{
    const double days = static_cast<double>(epoch().daysTo(date));
    const double secs = time.isValid() ? time.msecsSinceStartOfDay() / 1000.0 : 0.0;
    return days + secs / secondsPerDay;
}

double toDayCount(const QDateTime &dateTime)
{
    return toDayCount(dateTime.date(), dateTime.time());
}

void splitDayCount(double dayCount, QDate *date, QTime *time)
{
    const qint64 totalSeconds = std::llround(dayCount * secondsPerDay);
    qint64 days = totalSeconds / 86400;
    qint64 secs = totalSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        days -= 1;
    }
    if (date)
        *date = epoch().addDays(days);
    if (time)
        *time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(secs * 1000));
}

QDateTime fromDayCount(double dayCount)
{
    QDate date;
    QTime time;
    splitDayCount(dayCount, &date, &time);
    return QDateTime(date, time);
}
