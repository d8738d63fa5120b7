#include "DateTime.h"

#include <cmath>

namespace {
const QDate epoch(1899, 12, 30);
}

double toDayCount(const QDate &date, const QTime &time)
{
    const double days = static_cast<double>(epoch.daysTo(date));
    const double secs = time.isValid() ? time.msecsSinceStartOfDay() / 1000.0 : 0.0;
    return days + secs / secondsPerDay;
}

double toDayCount(const QDateTime &dateTime)
{
    return toDayCount(dateTime.date(), dateTime.time());
}

QDateTime fromDayCount(double dayCount)
{
    const qint64 totalSeconds = std::llround(dayCount * secondsPerDay);
    qint64 days = totalSeconds / 86400;
    qint64 secs = totalSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        days -= 1;
    }
    return QDateTime(epoch.addDays(days), QTime(0, 0).addSecs(static_cast<int>(secs)));
}
