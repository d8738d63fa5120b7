#include "ClockFields.h"

#include "DateTime.h"
#include "Format.h"

#include <QDate>
#include <QTime>

bool checkClockFields(QString fields[6], double *dateTime)
{
    for (int i = 0; i < 6; ++i) {
        if (!checkNumText(fields[i]))
            return false;
    }
    int n[6];
    for (int i = 0; i < 6; ++i) {
        fields[i] = twoDigitText(fields[i]);
        n[i] = fields[i].toInt();
    }
    const int year = (n[0] < 80 ? 2000 : 1900) + n[0];
    const QDate date(year, n[1], n[2]);
    const QTime time(n[3], n[4], n[5]);
    if (!date.isValid() || !time.isValid())
        return false;
    if (dateTime)
        *dateTime = toDayCount(date, time);
    return true;
}
