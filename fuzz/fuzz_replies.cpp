// The instrument's replies as the link hands them over (Latin-1, line end removed) through
// every reader of reply texts: the reading, the field splitting of listing lines, the settings
// replies and the number, value, emissivity, limit and date-time readers they share with the
// files. The first byte chooses the unit of the limits (bit 0), a decimal-comma locale
// (bit 1) and the real-time or memory mode (bit 2) for the date-time texts.

#include "FuzzCommon.h"

#include "ClassInstrument.h"
#include "Format.h"
#include "MeasSettingCheck.h"
#include "Settings.h"

#include <QLocale>

namespace
{
void useCommaLocale(bool comma)
{
    static bool current = false;
    if (comma == current)
        return;
    QLocale::setDefault(comma ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c());
    current = comma;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    QLocale::setDefault(QLocale::c());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int unit = data[0] & 1;
    useCommaLocale(data[0] & 2);
    programMode = qint16((data[0] >> 2) & 1);
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const float reading = InstrumentReply::reading(reply);
    (void)valueText(reading, unit);

    QString rest = reply;
    QString fields[11];
    splitBlank(rest, fields);
    rest = reply;
    splitComma(rest, fields);

    // The settings replies into the record, normalised as after a receive.
    MeasSetting = MeasSettingRecord();
    (void)InstrumentReply::number(reply);
    MeasSetting.Unit = InstrumentReply::unit(reply, qint16(unit));
    const int resolution = InstrumentReply::resolution(reply);
    if (resolution >= 0)
        MeasSetting.Precision = qint16(resolution);
    if (InstrumentReply::emissivity(reply, MeasSetting.EmissivityValue))
        MeasSetting.EmissivityStr = emissivityText(MeasSetting.EmissivityValue);
    InstrumentReply::scale(reply, MeasSetting.ScaleZero, MeasSetting.ScaleFull);
    normalizeMeasSetting();

    const double value = parseValue(reply);
    (void)valueText(value, unit);
    (void)precisionText(value, -1);
    (void)emissivityText(parseEmissivity(reply));
    (void)integerText(parseLimit(reply, unit));
    const double when = parseDateTime(reply);
    (void)dateTimeText(when);
    (void)longDateText(when);
    return 0;
}
