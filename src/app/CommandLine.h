#pragma once

#include <optional>

// `orvan-utility COMMAND [options]`: runs the command without a display and returns its
// exit code (CliExit, CliCommand.h). Also answers --help and --version when no command is
// given. Returns nothing when the desktop application is to start.
std::optional<int> runCommandLine(int argc, char *argv[]);

// The desktop application's own option, --port COMn=DEVICE; run after its QApplication
// exists. Returns an exit code when the options are bad.
std::optional<int> applyDesktopOptions();
