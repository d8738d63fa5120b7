#pragma once

#include <QString>
#include <QtGlobal>

// Time spans as fractions of a day, the unit of every date-time the loops compare.
constexpr double oneSecond = 1.15740740741e-5;
// A reading this close before its due time counts as due; also the end-time margin.
constexpr double sampleTolerance = 2.31481481482e-6;
// The instrument is woken this long before a timer start.
constexpr double powerOnLead = 0.0001736111111115;

// The timing of the next logged run as the measurement time dialog leaves it. The counts and
// units it came from live in Settings (IntervalTimeCount/Unit, LogTimeCount/Unit).
struct MeasTimeRecord {
    double interval = oneSecond;
    // Days; -1 for continuous logging.
    double logTime = -1.0;
    bool timerStart = false;
    double startTime = 0.0;
    double stopTime = 0.0;
    // True: a timer run stops at stopTime; false: it runs for logTime.
    bool endTimeMode = true;
};

extern MeasTimeRecord MeasTime;

// Indices of the interval unit list (Settings.IntervalTimeUnit).
enum IntervalUnitCode { intervalSeconds = 0, intervalMinutes = 1 };
// Indices of the logging time unit list (Settings.LogTimeUnit).
enum LogUnitCode {
    logContinuous = 0,
    logTimes = 1, // number of samples
    logSeconds = 2,
    logMinutes = 3,
    logHours = 4,
    logDays = 5
};

// Units the settings file may hold but the lists do not know read as the first entry
// (seconds, continuous).
int validIntervalUnit(int unit);
int validLogUnit(int unit);

// The interval in days.
double calcIntervalTime(double count, int unit);
// The logging time in days: -1 for continuous; (count - 1) intervals for times, since the
// first sample is taken at the start.
double calcLogTime(double count, int unit, double interval);
// The largest logging count of the unit that still fits MaxDataNo samples taken every
// `interval` days, cut (not rounded) to hundredths: -1 for continuous, MaxDataNo for times.
double uncalcLogTime(double interval, int unit);

// The interval field's rule: not above 0 reads as 1; at least 1 s or 0.1 min, at most
// 3600 s or 60 min; seconds are whole (halves to even).
double normalInterval(double value, int unit);
// The largest count the logging field takes: uncalcLogTime, with maxima beyond 100000 cut
// to the 99999 the field can show. -1 for continuous.
double logTimeLimit(double interval, int unit);
// The logging field's rule: not below 0 and, except for continuous, not above `limit`.
double normalLogTime(double value, int unit, double limit);

// The last stop time a timer run may have: start plus MaxDataNo - 1 intervals, in whole
// seconds.
double latestStopTime(double start, double interval);
// A stop before the start becomes the start; a stop more than MaxDataNo - 1 whole intervals
// after it becomes latestStopTime.
double limitStopTime(double start, double stop, double interval);

// Texts of the out-of-range messages, the range on the second line.
QString intervalRangeMessage(int unit);
QString logTimeRangeMessage(double limit);
QString stopTimeRangeMessage(double start, double latestStop);
