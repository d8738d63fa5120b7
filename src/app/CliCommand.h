#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// Exit codes of the command line.
enum CliExit {
    ExitDone = 0,
    ExitInstrument = 1, // the instrument or its port failed
    ExitUsage = 2,      // bad options or a file that cannot be read or written
    ExitStopped = 130,  // Ctrl+C or SIGTERM
};

// Ends a command. The message (a string-table text, empty when it was already reported)
// goes to stderr and the process exits with the code.
struct CliError {
    int exitCode = ExitUsage;
    QString message;
};

// One command: `orvan-utility NAME [options]`. Its function gets its own entry and the
// arguments after the name, and returns an exit code or throws CliError. A stop signal turns any
// result into ExitStopped, so a command need not check for one.
struct CliCommand {
    const char *name;
    int summaryId; // string id of the one-line summary shown by --help
    // Prints (PDF, pictures): runs on the offscreen platform instead of without any.
    bool paints;
    int (*run)(const CliCommand &command, const QStringList &arguments);
};

// The commands, in the order --help lists them (CliCommands.cpp).
extern const CliCommand cliCommands[];
extern const int cliCommandCount;

// A command's options. --help is always there. parse() throws CliError with ExitUsage for
// an unknown option, a missing value or a stray argument, and prints the help and throws
// with ExitDone for --help.
class CliOptions
{
public:
    explicit CliOptions(const CliCommand &command);

    void add(const QCommandLineOption &option);
    // "--name VALUE" with a string-table description.
    QCommandLineOption add(const QStringList &names, int descriptionId,
                           const QString &valueName = QString(),
                           const QString &descriptionArg = QString());
    // Free arguments after the options, as "[what]" in the usage line; none by default.
    void allowArguments(const QString &name, int descriptionId);

    void parse(const QStringList &arguments);

    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }
    QStringList arguments() const;

private:
    const CliCommand &m_command;
    QCommandLineParser m_parser;
    // In the order --help lists them; --help first.
    QList<QCommandLineOption> m_options;
    QString m_argumentsName;
    int m_argumentsDescriptionId = 0;
};

class SerialPort;
// The port of the host application while a command runs inside it (runCommandInProcess).
extern SerialPort *cliHostPort;

// Writes to stdout / stderr with a line end (UTF-8).
void cliOut(const QString &line);
void cliErr(const QString &line);
// "orvan-utility: " and the text, on stderr; a CR or LF inside starts a new line.
void cliReport(const QString &text);
// "--option expects ..., not VALUE": a usage error with string `id` and the value.
[[noreturn]] void cliBadValue(int id, const QString &value);
// "90", "2.5m", ".5h": a number and one of `units` (or none: empty unit). Anything else is a
// usage error with string `id` and the text.
struct CliAmount {
    double value = 0.0;
    QChar unit;
};
CliAmount cliAmount(const QString &text, const char *units, int id);
// An output file a command may write: a file name in a folder it can write; otherwise a usage
// error, found before the instrument is touched.
void cliCheckOutputFile(const QString &path);
// A span of time in seconds: "90", "90s", "2m", "0.5m", "8h", "2d" or "hh:mm[:ss]". Anything
// else, or a negative span, is a usage error with string `id` and the text.
double cliDuration(const QString &text, int id);
