#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SerialPort;

// `orvan-utility COMMAND [options]`: runs the command without a display and returns its
// exit code (CliExit, CliCommand.h). Also answers --help and --version when no command is
// given. Returns nothing when the desktop application is to start.
std::optional<int> runCommandLine(int argc, char *argv[]);

// The desktop application's own option, --port COMn=DEVICE; run after its QApplication
// exists. Returns an exit code when the options are bad.
std::optional<int> applyDesktopOptions();

// Runs one command (`arguments` start with its name) inside an application that is already
// running, as a host that embeds the command line does: instrument commands talk through
// `port`, and each line meant for stdout or stderr goes to `print`. A stop signal stops it as
// it stops a command of its own process.
using CliPrinter = std::function<void(bool toStderr, const QString &line)>;
int runCommandInProcess(const QStringList &arguments, SerialPort &port, CliPrinter print);
