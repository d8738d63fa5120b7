#pragma once

#include <functional>

// SIGINT and SIGTERM ask the running command to stop as the Stop button does: the event
// loop sets stopRequested, and the waiting loop that sees it ends. A second signal ends the
// process at once. Needs a QCoreApplication.
void installStopSignals();

// True once a stop signal has arrived.
bool stopSignalReceived();
// Forgets a stop signal that has been dealt with, for a host that runs one command after
// another in one process.
void clearStopSignal();

// What a stop signal does instead of raising stopRequested, for a command whose own Stop is
// gentler (a logged run ends at its next second and keeps every sample). Empty restores the
// default.
void setStopHandler(std::function<void()> handler);
