#include "CliCommand.h"

// A new command: a Cli<Name>.cpp with its function, its declaration and its row below, and
// its summary in the string table.
int runSettings(const CliCommand &command, const QStringList &arguments);
int runClock(const CliCommand &command, const QStringList &arguments);
int runRecover(const CliCommand &command, const QStringList &arguments);
int runReport(const CliCommand &command, const QStringList &arguments);
int runDownload(const CliCommand &command, const QStringList &arguments);
int runLog(const CliCommand &command, const QStringList &arguments);
int runMonitor(const CliCommand &command, const QStringList &arguments);

const CliCommand cliCommands[] = {
    {"log", 7425, false, runLog},
    {"monitor", 7426, false, runMonitor},
    {"download", 7424, false, runDownload},
    {"settings", 7420, false, runSettings},
    {"clock", 7421, false, runClock},
    {"recover", 7422, false, runRecover},
    {"report", 7423, true, runReport},
};

const int cliCommandCount = int(sizeof(cliCommands) / sizeof(cliCommands[0]));
