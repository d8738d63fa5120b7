// The settings file OrvanUtility.ini: any bytes as its content, read and then normalised as
// the windows do at start-up, the emissivity list entries as the emissivity dialog reads them.

#include "FuzzCommon.h"

#include "MeasSettingCheck.h"
#include "Settings.h"

#include <QSize>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A 1920 x 1080 pixel screen at 15 twips per pixel.
    loadSettingsText(fuzz::bytesOf(data, size), QSize(28800, 16200));
    normalizeMeasSetting();
    QString name;
    QString valueText;
    for (const QString &entry : std::as_const(MeasSetting.EmissivityList))
        checkEmissivityStr(entry, &name, &valueText);
    return 0;
}
