#include "Settings.h"

MeasSettingRecord MeasSetting;
SettingsRecord Settings;
