#include "MeasSettingCheck.h"

#include "Format.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <cmath>
#include <utility>

namespace
{

// The rounding of the instrument's rules: to the nearest whole number, halves to even.
double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

QString emissivityRangeText()
{
    return emissivityText(0.1) + rangeSeparator + emissivityText(1.0);
}

qint16 validChoice(qint16 value)
{
    return value == 1 ? 1 : 0;
}

} // namespace

bool checkEmissivityNum(double &value)
{
    bool ok = true;
    if (std::isnan(value)) {
        value = 0.0;
        ok = false;
    }
    // Keeps value * 100 well inside the range the rounding works in.
    if (value > 100.0) {
        value = 100.0;
        ok = false;
    } else if (value < -100.0) {
        value = -100.0;
        ok = false;
    }
    double n = roundHalfEven(value * 100.0);
    if (n > 100.0) {
        n = 100.0;
        ok = false;
    } else if (n < 10.0) {
        n = 10.0;
        ok = false;
    }
    value = n / 100.0;
    return ok;
}

bool checkEmissivityStr(const QString &text, QString *name, QString *valueText)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString raw = colon < 0 ? text : text.mid(colon + 1);
    if (name)
        *name = colon > 0 ? text.left(colon) : QString();
    double value = parseValue(raw);
    const bool ok = checkEmissivityNum(value);
    if (valueText)
        *valueText = emissivityText(value);
    return ok;
}

bool checkEmissivityStr2(const QString &text, QString *name, QString *valueText)
{
    const bool ok = checkEmissivityStr(text, name, valueText);
    if (!ok)
        showMessage(emissivityValueRangeMessage());
    return ok;
}

QString emissivityNormalText(const QString &name, const QString &valueText)
{
    if (name.isEmpty())
        return valueText;
    return name + QLatin1Char(':') + valueText;
}

void scaleLimits(int unit, float *scaleMin, float *scaleMax)
{
    const bool fahrenheit = unit == 1;
    if (scaleMin)
        *scaleMin = fahrenheit ? -60.0f : -50.0f;
    if (scaleMax)
        *scaleMax = fahrenheit ? 940.0f : 500.0f;
}

int scaleSpanLimit(int unit)
{
    return unit == 1 ? 20 : 10;
}

bool checkScalePrim(float &zero, float &full, int unit, float *scaleMin, float *scaleMax)
{
    float low = 0.0f;
    float high = 0.0f;
    scaleLimits(unit, &low, &high);
    if (scaleMin)
        *scaleMin = low;
    if (scaleMax)
        *scaleMax = high;
    bool ok = true;
    for (float *value : {&zero, &full}) {
        if (std::isnan(*value) || *value < low) {
            *value = low;
            ok = false;
        } else if (*value > high) {
            *value = high;
            ok = false;
        }
    }
    return ok;
}

bool checkScaleSpan(float zero, float full, int unit)
{
    return std::fabs(double(zero) - double(full)) >= scaleSpanLimit(unit);
}

void orderScale(float &zero, float &full)
{
    if (zero > full)
        std::swap(zero, full);
}

float scaleTextValue(const QString &text)
{
    // Adding 0 turns a rounded -0.4 (-0) into 0, which reads and stores as plain "0".
    const double value = roundHalfEven(parseValue(text)) + 0.0;
    // Beyond any scale limit either way; keeps the float conversion finite.
    if (value > 1e9)
        return 1e9f;
    if (value < -1e9)
        return -1e9f;
    return float(value);
}

QString emissivityRangeMessage()
{
    return loadString(1773) + QLatin1Char('\r') + emissivityRangeText();
}

QString emissivityValueRangeMessage()
{
    return loadString(1742) + QLatin1Char('\r') + emissivityRangeText();
}

QString scaleRangeMessage(int unit)
{
    float low = 0.0f;
    float high = 0.0f;
    scaleLimits(unit, &low, &high);
    const QString label = unitText(unit);
    return loadString(1774) + QLatin1Char('\r') + precisionText(low, -1) + label + rangeSeparator +
           precisionText(high, -1) + label;
}

QString scaleSpanMessage(int unit)
{
    return loadString(1740) + precisionText(scaleSpanLimit(unit), -1) + QLatin1Char(' ') +
           unitText(unit) + loadString(1741);
}

void normalizeMeasSetting()
{
    MeasSettingRecord &m = MeasSetting;
    m.Precision = validChoice(m.Precision);
    m.Unit = validChoice(m.Unit);

    QString name;
    QString valueText;
    checkEmissivityStr(m.EmissivityStr, &name, &valueText);
    m.EmissivityStr = emissivityNormalText(name, valueText);
    m.EmissivityValue = float(parseValue(valueText));

    // The dialog shows the values as text and reads them back; going the same way keeps
    // the result identical to a confirmed dialog.
    float zero = scaleTextValue(precisionText(m.ScaleZero, -1));
    float full = scaleTextValue(precisionText(m.ScaleFull, -1));
    checkScalePrim(zero, full, m.Unit, nullptr, nullptr);
    orderScale(zero, full);
    m.ScaleZero = zero;
    m.ScaleFull = full;
}

MeasSettingSnapshot takeMeasSnapshot(const MeasSettingRecord &record)
{
    MeasSettingSnapshot s;
    s.Precision = record.Precision;
    s.EmissivityStr = record.EmissivityStr;
    s.ScaleZero = record.ScaleZero;
    s.ScaleFull = record.ScaleFull;
    return s;
}

bool isChanged(const MeasSettingSnapshot &snapshot, const MeasSettingRecord &record)
{
    return snapshot.Precision != record.Precision ||
           snapshot.EmissivityStr != record.EmissivityStr ||
           snapshot.ScaleZero != record.ScaleZero || snapshot.ScaleFull != record.ScaleFull;
}
