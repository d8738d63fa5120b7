#include "AppState.h"

qint16 programMode = 0;
bool stopRequested = false;
