#include "MeasTime.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "Strings.h"

#include <algorithm>
#include <cmath>

MeasTimeRecord MeasTime;

namespace
{

// Seconds in one step of a logging unit; 0 for continuous and times, which are no durations.
double logUnitSeconds(int unit)
{
    switch (unit) {
    case logSeconds:
        return 1.0;
    case logMinutes:
        return 60.0;
    case logHours:
        return 3600.0;
    case logDays:
        return 86400.0;
    default:
        return 0.0;
    }
}

// Guards the floor() of a quotient such as 533.31 * 100 that lands a hair below the whole
// number it stands for.
constexpr double floorSlack = 1e-7;

// The message's form of a bound: whole numbers without decimals, others with two.
QString boundText(double value)
{
    if (value == std::floor(value))
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'f', 2);
}

QString rangeText(const QString &low, const QString &high)
{
    return u' ' + low + u' ' + rangeSeparator + u' ' + high;
}

} // namespace

int validIntervalUnit(int unit)
{
    return unit == intervalMinutes ? intervalMinutes : intervalSeconds;
}

int validLogUnit(int unit)
{
    return unit >= logContinuous && unit <= logDays ? unit : logContinuous;
}

double calcIntervalTime(double count, int unit)
{
    return count * (unit == intervalMinutes ? 60.0 : 1.0) * oneSecond;
}

double calcLogTime(double count, int unit, double interval)
{
    switch (unit) {
    case logContinuous:
        return -1.0;
    case logTimes:
        return (count - 1.0) * interval;
    default:
        return count * logUnitSeconds(unit) * oneSecond;
    }
}

double uncalcLogTime(double interval, int unit)
{
    switch (unit) {
    case logContinuous:
        return -1.0;
    case logTimes:
        return MaxDataNo;
    default:
        break;
    }
    const double seconds = (MaxDataNo - 1) * (interval / oneSecond);
    const double count = seconds / logUnitSeconds(unit);
    return std::floor(count * 100.0 + floorSlack) / 100.0;
}

double normalInterval(double value, int unit)
{
    if (!std::isfinite(value) || value <= 0.0)
        value = 1.0;
    if (unit == intervalMinutes)
        return std::clamp(value, 0.1, 60.0);
    // The default rounding mode rounds halves to even: 2.5 s is 2 s.
    return std::nearbyint(std::clamp(value, 1.0, 3600.0));
}

double logTimeLimit(double interval, int unit)
{
    const double limit = uncalcLogTime(interval, unit);
    return limit > 100000.0 ? 99999.0 : limit;
}

double normalLogTime(double value, int unit, double limit)
{
    if (!std::isfinite(value) || value < 0.0)
        value = 0.0;
    if (unit != logContinuous && value > limit)
        value = limit;
    return value;
}

double latestStopTime(double start, double interval)
{
    if (!(interval > 0.0))
        return start;
    const double seconds = std::floor((MaxDataNo - 1) * (interval / oneSecond) + floorSlack);
    return start + seconds / secondsPerDay;
}

double limitStopTime(double start, double stop, double interval)
{
    if (stop < start)
        return start;
    if (!(interval > 0.0))
        return start;
    // Date-times from the fields are whole seconds; count in seconds so that a span of
    // exactly n intervals is not read as n - 1.
    const double spanSeconds = std::round((stop - start) * secondsPerDay);
    const double intervals = std::floor(spanSeconds / (interval / oneSecond) + floorSlack);
    if (intervals > MaxDataNo - 1)
        return latestStopTime(start, interval);
    return stop;
}

QString intervalRangeMessage(int unit)
{
    // The minute range starts at 0.1, the smallest interval the field keeps.
    const QString range = unit == intervalMinutes
                              ? rangeText(QStringLiteral("0.1"), QStringLiteral("60"))
                              : rangeText(QStringLiteral("1"), QStringLiteral("3600"));
    return loadString(1776) + u'\r' + range;
}

QString logTimeRangeMessage(double limit)
{
    return loadString(1777) + u'\r' + rangeText(QStringLiteral("0"), boundText(limit));
}

QString stopTimeRangeMessage(double start, double latestStop)
{
    return loadString(1777) + u'\r' + rangeText(dateTimeText(start), dateTimeText(latestStop));
}
