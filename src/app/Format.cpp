#include "Format.h"

#include "AppState.h"
#include "DateTime.h"
#include "Strings.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace
{

qint16 untitledCounter = 0;
qint16 untitledMemCounter = 0;

bool isVbBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Str of a value with the given significant digits: a leading blank for values that are not
// negative, no trailing zeros, no "0" before the point, "E+07" style exponents.
QString strText(double value, int significantDigits)
{
    QString text = QString::number(value, 'g', significantDigits);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0)
        text[e] = u'E';
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    if (!text.startsWith(u'-'))
        text.prepend(u' ');
    return text;
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString datePart(const QDate &date)
{
    return twoDigits(((date.year() % 100) + 100) % 100) + u'/' + twoDigits(date.month()) + u'/' +
           twoDigits(date.day());
}

QString timePart(const QTime &time)
{
    QString text = twoDigits(time.hour()) + u':' + twoDigits(time.minute());
    if (programMode == 0)
        text += u':' + twoDigits(time.second());
    return text;
}

QString nextUntitled(qint16 &counter)
{
    counter += 1;
    if (counter > 999)
        counter = 1;
    return loadString(1796) + QString::number(counter) + QStringLiteral(".csv");
}

// Whole number of a fixed-position date field, as the date construction takes it.
int fieldNumber(const QString &text)
{
    const double v = std::round(leadingNumber(text));
    return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

// Both the C form and the locale's form count as numbers.
bool isNumericText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    double v = trimmed.toDouble(&ok);
    if (!ok)
        v = QLocale().toDouble(trimmed, &ok);
    return ok && std::isfinite(v);
}

int splitFields(QString &line, QString fields[11], QChar separator, bool replyRules)
{
    for (int k = 0; k < 11; ++k)
        fields[k].clear();
    int i = 0;
    bool found = true;
    while (found && i < 10) {
        qsizetype from = 0;
        if (replyRules && line.startsWith(QLatin1String("- "))) {
            from = 1;
            while (from < line.size() && line[from] == u' ')
                ++from;
        }
        const qsizetype at = line.indexOf(separator, from);
        found = at >= 0;
        if (found) {
            fields[i] = line.left(at);
            line.remove(0, at + 1);
            if (replyRules) {
                qsizetype blanks = 0;
                while (blanks < line.size() && line[blanks] == u' ')
                    ++blanks;
                line.remove(0, blanks);
            }
        } else {
            fields[i] = line;
            line.clear();
        }
        ++i;
    }
    return i - 1;
}

} // namespace

int valueStatus(float value)
{
    if (value == overRangeCode)
        return 1;
    if (value == underRangeCode)
        return 2;
    if (value == lowBatteryCode)
        return 3;
    if (value == errorCode)
        return 4;
    return 0;
}

QString valueText(double value, int resolutionFlag)
{
    if (value == overRangeCode)
        return QStringLiteral("+OVER");
    if (value == underRangeCode)
        return QStringLiteral("-OVER");
    if (value == lowBatteryCode || value == errorCode)
        return QStringLiteral("ERROR");
    // Float readings sit just below their decimal halves (0.45f is 0.4499999...); the nudge
    // rounds them as they read.
    const double nudged = value < 0 ? value - 1e-5 : value + 1e-5;
    return QString::number(nudged, 'f', resolutionFlag == 0 ? 1 : 0);
}

QString shortCodeText(const QString &text)
{
    if (text == QLatin1String("+OVER"))
        return QStringLiteral("+OVR");
    if (text == QLatin1String("-OVER"))
        return QStringLiteral("-OVR");
    if (text == QLatin1String("ERROR"))
        return QStringLiteral("ERR");
    return text;
}

QString emissivityText(double value)
{
    return QString::number(value, 'f', 2);
}

QString integerText(double value)
{
    return QString::number(std::llround(value));
}

QString precisionText(double value, int code)
{
    switch (code) {
    case -1:
        return strText(value, 7);
    case 0:
    case 1:
    case 2:
        return QString::number(value, 'f', code);
    default:
        return {};
    }
}

QString fixDecimalPoint(const QString &text)
{
    const QString separator = QLocale().decimalPoint();
    if (separator.isEmpty() || separator == QLatin1String("."))
        return text;
    QString result = text;
    return result.replace(separator, QStringLiteral("."));
}

QString dateTimeText(double dayCount)
{
    QDate date;
    QTime time;
    splitDayCount(dayCount, &date, &time);
    return datePart(date) + u' ' + timePart(time);
}

QString dateText(double dayCount)
{
    QDate date;
    splitDayCount(dayCount, &date, nullptr);
    return datePart(date);
}

QString longDateText(double dayCount)
{
    QDate date;
    splitDayCount(dayCount, &date, nullptr);
    return QString::number(date.year()).rightJustified(4, u'0') + u'/' + twoDigits(date.month()) +
           u'/' + twoDigits(date.day());
}

QString timeText(double dayCount)
{
    QTime time;
    splitDayCount(dayCount, nullptr, &time);
    return timePart(time);
}

QString unitText(int unit)
{
    if (unit == 0 || unit == 1)
        return unitLabels[unit];
    return {};
}

double leadingNumber(const QString &text)
{
    QString number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isVbBlank(text[i]))
            ++i;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (skipBlanks(); i < n && text[i].isDigit() && text[i].unicode() < 128; skipBlanks()) {
            number += text[i++];
            any = true;
        }
        return any;
    };

    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        number += text[i++];
    bool digits = takeDigits();
    if (i < n && text[i] == u'.') {
        number += text[i++];
        digits = takeDigits() || digits;
    }
    if (!digits)
        return 0.0;
    if (i < n && QStringLiteral("eEdD").contains(text[i])) {
        const qsizetype mark = i;
        QString exponent = QStringLiteral("e");
        ++i;
        skipBlanks();
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            exponent += text[i++];
        const qsizetype before = number.size();
        if (takeDigits())
            number.insert(before, exponent);
        else
            i = mark;
    }
    // Whole numbers (dates and times in files) are the common case and need no conversion.
    if (number.size() <= 16 && !number.contains(u'.') && !number.contains(u'e')) {
        qint64 whole = 0;
        bool negative = false;
        for (const QChar c : std::as_const(number)) {
            if (c == u'-')
                negative = true;
            else if (c != u'+')
                whole = whole * 10 + (c.unicode() - u'0');
        }
        return static_cast<double>(negative ? -whole : whole);
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

double parseValue(const QString &text)
{
    if (text == QLatin1String("+OVER"))
        return overRangeCode;
    if (text == QLatin1String("-OVER"))
        return underRangeCode;
    if (text == QLatin1String("ERROR"))
        return errorCode;

    QLocale locale;
    if (locale.decimalPoint() == QLatin1String("."))
        return leadingNumber(text);
    // Group separators are refused so that "0.95" in a decimal-comma locale is not read as 95.
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (ok && std::isfinite(value))
        return value;
    return leadingNumber(text);
}

double parseEmissivity(const QString &text)
{
    if (text == QLatin1String("-"))
        return notSetValue;
    const double v = std::clamp(parseValue(text), -100.0, 100.0);
    const double hundredths = std::clamp(std::nearbyint(v * 100.0), 10.0, 100.0);
    return hundredths / 100.0;
}

double parseLimit(const QString &text, int unit)
{
    if (text == QLatin1String("-"))
        return notSetValue;
    const double v = parseValue(text);
    return unit == 0 ? std::clamp(v, -50.0, 500.0) : std::clamp(v, -60.0, 940.0);
}

double parseDateTime(const QString &text)
{
    const QString t = text.size() == 19 ? text.mid(2) : text;
    int year = fieldNumber(t.mid(0, 2));
    const int month = fieldNumber(t.mid(3, 2));
    const int day = fieldNumber(t.mid(6, 2));
    const int hour = fieldNumber(t.mid(9, 2));
    const int minute = fieldNumber(t.mid(12, 2));
    // The short form "yy/mm/dd hh:nn" ends with the minutes; its last two characters are not
    // seconds.
    const int second = t.size() >= 17 ? fieldNumber(t.right(2)) : 0;

    // The instrument and the timer dialog count 00-79 as 20xx; the same rule here keeps files
    // of 2030 onwards in their century.
    if (year >= 0 && year <= 79)
        year += 2000;
    else if (year >= 80 && year <= 99)
        year += 1900;
    const QDate firstOfYear(year, 1, 1);
    if (!firstOfYear.isValid())
        return 0.0;
    const QDate date = firstOfYear.addMonths(month - 1).addDays(day - 1);
    const double seconds = hour * 3600.0 + minute * 60.0 + second;
    return toDayCount(date) + seconds / secondsPerDay;
}

int splitComma(QString &line, QString fields[11])
{
    return splitFields(line, fields, u',', false);
}

int splitBlank(QString &line, QString fields[11])
{
    return splitFields(line, fields, u' ', true);
}

QString signedNumberText(qint64 value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString padLeft(const QString &text, int width)
{
    return text.rightJustified(width, u' ');
}

QString fileNameOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

QString newUntitledName()
{
    return nextUntitled(untitledCounter);
}

QString newUntitledMemName()
{
    return nextUntitled(untitledMemCounter);
}

void resetUntitledCounters()
{
    untitledCounter = 0;
    untitledMemCounter = 0;
}

QString twoDigitText(const QString &text)
{
    double n = std::round(leadingNumber(text));
    if (n < 0)
        n = 0;
    const int lastTwo = static_cast<int>(std::fmod(n, 100.0));
    return twoDigits(lastTwo);
}

bool checkNumText(const QString &text)
{
    if (!isNumericText(text))
        return false;
    const double n = std::round(leadingNumber(text));
    return n >= 0 && n <= 100;
}

qint64 hmsToSeconds(const QString &hours, const QString &minutes, const QString &seconds)
{
    return std::llround(leadingNumber(hours) * 3600.0) +
           std::llround(leadingNumber(minutes) * 60.0) + std::llround(leadingNumber(seconds));
}
