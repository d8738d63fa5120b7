#pragma once

// SIGINT and SIGTERM ask the running command to stop as the Stop button does: the event
// loop sets stopRequested, and the waiting loop that sees it ends. A second signal ends the
// process at once. Needs a QCoreApplication.
void installStopSignals();

// True once a stop signal has arrived.
bool stopSignalReceived();
