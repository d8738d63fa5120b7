#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// The instrument settings record. Process-wide; receiving from the instrument writes it,
// sending reads it, and the settings file keeps it between runs.
struct MeasSettingRecord {
    qint16 Precision = 0; // 0 = 0.1 degree, 1 = 1 degree
    qint16 Unit = 0;      // 0 = degrees C, 1 = degrees F
    QString EmissivityStr = QStringLiteral("1.00");
    float EmissivityValue = 1.0f;
    float ScaleZero = -20.0f;
    float ScaleFull = 500.0f;
    // The user's emissivity list ("material:value" texts); its size is EmissivityCount.
    QStringList EmissivityList;
};

extern MeasSettingRecord MeasSetting;

// Everything else the settings file keeps. Positions and sizes are in twips.
struct SettingsRecord {
    qint32 TopL = 0, LeftL = 0;
    qint32 TopF = 0, LeftF = 0;
    qint32 TopM = 0, LeftM = 0;
    qint32 TopG = 0, LeftG = 0;
    qint32 WidthG = 9600, HeightG = 7200;
    qint16 comPortIndex = 0; // 0..3 = COM1..COM4; stored as COMPort 1..4

    float IntervalTimeCount = 1.0f;
    qint16 IntervalTimeUnit = 0; // 0 seconds, 1 minutes
    float LogTimeCount = 1.0f;
    qint16 LogTimeUnit = 0; // 0 continuous, 1 times, 2 s, 3 min, 4 h, 5 days
    qint16 UseExcel = 0;

    // Device that COM1..COM4 reach; empty = the automatic choice.
    QString portDevices[4];
    // Where spreadsheet workbooks go; empty = the documents folder's "OrvanUtility".
    QString ExcelFolder;
    // The folder the file dialogs showed last; empty = the documents folder.
    QString LastFolder;
};

extern SettingsRecord Settings;

// "OrvanUtility.ini" beside the executable when that directory is writable, otherwise in the
// per-user configuration directory (an installed program cannot write beside itself).
QString settingsFilePath();
// Resets the defaults (window positions, UseExcel and the emissivity list keep their values)
// and reads the file into MeasSetting and Settings; a missing or unreadable file leaves the
// defaults. Positions and sizes are limited to the screen, given in twips.
// Callers apply the loaded instrument and measurement time settings to their dialogs next.
void loadSettings(const QString &path, const QSize &screenTwips);
// The same on the file's bytes, already read.
void loadSettingsText(const QByteArray &bytes, const QSize &screenTwips);
// Replaces the file atomically; false when it could not be written (the old file stays).
bool saveSettings(const QString &path);
