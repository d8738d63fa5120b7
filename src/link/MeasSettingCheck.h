#pragma once

#include <QString>

struct MeasSettingRecord;

// Rules of the instrument settings, usable without the settings dialog.

// Clamps to -100..100, rounds to hundredths (halves to even) and limits to 0.10..1.00.
// False when anything had to be limited.
bool checkEmissivityNum(double &value);

// Splits "name:value" (or a bare value) at the first ":", reads and checks the value.
// *valueText gets the value with two decimals, also when the check fails (then the value
// is the nearest allowed one).
bool checkEmissivityStr(const QString &text, QString *name, QString *valueText);

// As checkEmissivityStr; on failure shows "Value is out of range." with 0.10~1.00.
bool checkEmissivityStr2(const QString &text, QString *name, QString *valueText);

// "name:0.80", or "0.80" when the name is empty.
QString emissivityNormalText(const QString &name, const QString &valueText);

// Scale limits in whole degrees of `unit`: -60..940 for 1, -50..500 for any other unit.
void scaleLimits(int unit, float *scaleMin, float *scaleMax);
// Smallest allowed |full - zero|: 20 for unit 1, 10 otherwise.
int scaleSpanLimit(int unit);

// Sets *scaleMin/*scaleMax from the unit and clamps zero and full to them.
// False when anything had to be clamped.
bool checkScalePrim(float &zero, float &full, int unit, float *scaleMin, float *scaleMax);
bool checkScaleSpan(float zero, float full, int unit);
// Zero below or equal to full: swaps them otherwise.
void orderScale(float &zero, float &full);

// A scale text read as a whole number of degrees (halves to even).
float scaleTextValue(const QString &text);

// The messages of the failed checks, as shown.
QString emissivityRangeMessage();      // 1773, CR, 0.10~1.00
QString emissivityValueRangeMessage(); // 1742, CR, 0.10~1.00
QString scaleRangeMessage(int unit);   // 1774, CR, -50°C~ 500°C
QString scaleSpanMessage(int unit);    // 1740, " 10 °C", 1741

// Applies the settings dialog's rules to the global MeasSetting without any window:
// emissivity text in normal form and EmissivityValue from it, the scale clamped to the
// stored unit's range as whole numbers and ordered. The span is not checked and nothing
// is shown. A resolution or unit other than 0 and 1 (only a hand-edited settings file
// holds one) becomes 0.
void normalizeMeasSetting();

// What the settings dialog compares to tell whether OK changed anything worth sending.
struct MeasSettingSnapshot {
    qint16 Precision = 0;
    QString EmissivityStr;
    float ScaleZero = 0.0f;
    float ScaleFull = 0.0f;
};

MeasSettingSnapshot takeMeasSnapshot(const MeasSettingRecord &record);
// A change of Unit alone does not count.
bool isChanged(const MeasSettingSnapshot &snapshot, const MeasSettingRecord &record);
