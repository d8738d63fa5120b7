#pragma once

#include <QDateTime>

// Date-times are day counts: whole days since 1899-12-30 with the time of day as the
// fraction (one second = 1/86400). Local time, no time zone.
constexpr double secondsPerDay = 86400.0;

double toDayCount(const QDateTime &dateTime);
double toDayCount(const QDate &date, const QTime &time = QTime(0, 0));
// Rounded to the nearest whole second.
QDateTime fromDayCount(double dayCount);
// The same without building a QDateTime, whose local-time lookup is costly in loops that
// format thousands of samples.
void splitDayCount(double dayCount, QDate *date, QTime *time);
