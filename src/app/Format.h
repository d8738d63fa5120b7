#pragma once

#include <QString>
#include <QtGlobal>

// Texts of temperatures, emissivities and times as shown on screen, printed and written to
// files, and the reading of such texts. Number texts always use "." as decimal point.

// Value codes: a temperature field holds one of these instead of a reading.
constexpr float overRangeCode = 999999.0f;   // "+OVER"
constexpr float underRangeCode = -999999.0f; // "-OVER"
constexpr float lowBatteryCode = 999998.0f;  // "ERROR"
constexpr float errorCode = 999997.0f;       // "ERROR"; also "no value" in statistics
// An emissivity or comparator limit that is not set (same bits as underRangeCode).
constexpr float notSetValue = -999999.0f;
// Starting points of running minimum and maximum; not codes (they classify as 0).
constexpr float statisticsMinStart = 1999999.0f;
constexpr float statisticsMaxStart = -1999999.0f;

// 0 normal, 1 over range, 2 under range, 3 low battery, 4 error (exact comparison).
int valueStatus(float value);
// Code text, or the value with one decimal (resolutionFlag 0) or none (any other flag).
// Halves round away from zero.
QString valueText(double value, int resolutionFlag);
// "+OVER" -> "+OVR", "-OVER" -> "-OVR", "ERROR" -> "ERR"; any other text unchanged.
QString shortCodeText(const QString &text);
QString emissivityText(double value); // 0.95, 1.00
QString integerText(double value);    // -20, 500
// code -1: like Str of a 32-bit float (" 1", " .5", "-20", " 1.5"); 0, 1, 2: that many
// decimals; any other code: empty.
QString precisionText(double value, int code);
// Replaces the locale's decimal separator by ".".
QString fixDecimalPoint(const QString &text);

// Date-time texts of a day count; seconds are shown only in the real-time mode.
QString dateTimeText(double dayCount); // yy/mm/dd hh:nn:ss or yy/mm/dd hh:nn
QString dateText(double dayCount);     // yy/mm/dd
QString longDateText(double dayCount); // yyyy/mm/dd
QString timeText(double dayCount);     // hh:nn:ss or hh:nn

// Label of unit 0 or 1; empty for any other code.
QString unitText(int unit);

// The number at the start of a text: blanks, tabs and line feeds are skipped anywhere in it
// (so "-  12.5" reads -12.5), then an optional sign, digits, one ".", digits and an optional
// exponent (E or D). Reading stops at the first other character; no number gives 0.
double leadingNumber(const QString &text);
// A number in the locale's or the "." form; "+OVER", "-OVER" and "ERROR" give their codes.
double parseValue(const QString &text);
// "-" gives notSetValue; otherwise 0.10..1.00 in steps of 0.01 (hundredths rounded half
// to even).
double parseEmissivity(const QString &text);
// "-" gives notSetValue; otherwise limited to -50..500 (unit 0) or -60..940 (other units).
double parseLimit(const QString &text, int unit);
// "yy/mm/dd hh:nn:ss", "yyyy/mm/dd hh:nn:ss" or "yy/mm/dd hh:nn" read by character position
// (any separators); years 00-79 are 20xx, 80-99 are 19xx; out-of-range months, days, hours,
// minutes and seconds carry over. Texts shorter than 17 characters have no seconds.
double parseDateTime(const QString &text);

// Splits at commas into fields 0..9 (the text after the tenth comma is dropped); fields are
// not trimmed and field 10 stays empty. Returns the index of the last field written; the
// line keeps what was not split.
int splitComma(QString &line, QString fields[11]);
// As splitComma at blanks, for instrument replies: blanks after a field are skipped, and a
// field starting with "- " runs to the first blank after the number ("-  12.5" is one field).
int splitBlank(QString &line, QString fields[11]);

QString padLeft(const QString &text, int width);
// A number joined to a label: one leading blank unless negative (" 1", "-1").
QString signedNumberText(qint64 value);
// The file name of a path with "/" or "\" separators.
QString fileNameOf(const QString &path);

// "Untitled1.csv" .. "Untitled999.csv", then 1 again; one counter for real-time data, one for
// memory data.
QString newUntitledName();
QString newUntitledMemName();
void resetUntitledCounters();

// "00".."99" from a number text: negative gives 00, above 100 its last two digits.
QString twoDigitText(const QString &text);
// True when the text is a number whose rounded value lies in 0..100.
bool checkNumText(const QString &text);
qint64 hmsToSeconds(const QString &hours, const QString &minutes, const QString &seconds);
