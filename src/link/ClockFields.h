#pragma once

#include <QString>

// The six date and time entry fields of the clock dialog (and of the timer start):
// year, month, day, hour, minute, second, each 0..100. On success every field is rewritten
// as two digits ("2" -> "02") and *dateTime is the day count they name; years below 80 are
// 20yy, the others 19yy. False when a field is not such a number or the fields do not name
// a real date and time (the caller then shows "Date/Time value is wrong.").
bool checkClockFields(QString fields[6], double *dateTime);
