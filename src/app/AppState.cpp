#include "AppState.h"

qint16 programMode = 0;
bool stopRequested = false;
qint16 twipsPerPixelX = 15;
qint16 twipsPerPixelY = 15;
QString settingsFileOverride;
