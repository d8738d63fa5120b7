#pragma once

#include <QString>

// Process-wide state shared by the windows and the waiting loops.

// 0 = Real Time Measurement, 1 = Read Memory Data; written once by the start-up menu.
extern qint16 programMode;

// Set by the Stop button of the progress dialogs; cleared when such a dialog is shown and
// by the waiting loop that acts on it.
extern bool stopRequested;

// Screen units per pixel for positions kept in twips (1/1440 inch); set at start-up.
extern qint16 twipsPerPixelX;
extern qint16 twipsPerPixelY;

// The settings file in use; empty means settingsFilePath().
extern QString settingsFileOverride;
