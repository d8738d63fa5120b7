#include "CommandLine.h"

#include "CliCommand.h"
#include "CliPrompter.h"
#include "CliSignals.h"
#include "PortDevices.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>
#include <memory>

namespace
{

const char *const programName = "orvan-utility";
// Descriptions start in this column of the help texts.
constexpr int helpColumn = 26;

QString program()
{
    return QString::fromLatin1(programName);
}

QCommandLineOption helpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, loadString(7405));
}

QCommandLineOption versionOption()
{
    return QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")}, loadString(7406));
}

QCommandLineOption desktopPortOption()
{
    return QCommandLineOption(QStringLiteral("port"), loadString(7407),
                              QStringLiteral("COMn=DEVICE"));
}

// "  -h, --help               Shows ..." with the description in helpColumn.
QString helpLine(const QString &names, const QString &description)
{
    QString line = QStringLiteral("  ") + names;
    line += line.size() < helpColumn ? QString(helpColumn - line.size(), u' ')
                                     : u'\n' + QString(helpColumn, u' ');
    return line + description;
}

QString optionHelp(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" <") + option.valueName() + u'>';
    return helpLine(text, option.description());
}

QtMessageHandler defaultMessageHandler = nullptr;
CliPrinter hostPrinter;

void quietRuntimeDirWarning(QtMsgType type, const QMessageLogContext &context,
                            const QString &message)
{
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    defaultMessageHandler(type, context, message);
}

void configureApplication()
{
    // The per-user folders (run journals) are the desktop application's.
    QCoreApplication::setApplicationName(QStringLiteral("OrvanUtility"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVAN_VERSION));
    setLanguage();
    initLanguage();
}

void printTopLevelHelp()
{
    QStringList lines;
    lines << loadString(7400).arg(program()) << QString() << loadString(7401);
    for (int i = 0; i < cliCommandCount; ++i)
        lines << helpLine(QString::fromLatin1(cliCommands[i].name),
                          loadString(cliCommands[i].summaryId));
    lines << QString() << loadString(7403) << optionHelp(desktopPortOption())
          << optionHelp(helpOption()) << optionHelp(versionOption()) << QString()
          << loadString(7402).arg(program()) << loadString(7404);
    cliOut(lines.join(u'\n'));
}

const CliCommand *findCommand(const QString &name)
{
    for (int i = 0; i < cliCommandCount; ++i) {
        if (name == QLatin1String(cliCommands[i].name))
            return &cliCommands[i];
    }
    return nullptr;
}

int runCommand(const CliCommand &command, const QStringList &arguments)
{
    CliPrompter prompter;
    Prompter::setInstance(&prompter);
    installStopSignals();
    int code = ExitDone;
    try {
        code = command.run(command, arguments);
    } catch (const CliError &error) {
        if (!error.message.isEmpty())
            cliReport(error.message);
        code = error.exitCode;
    }
    Prompter::setInstance(nullptr);
    return stopSignalReceived() ? int(ExitStopped) : code;
}

// Runs the command called `name`, or says there is none.
int runNamedCommand(const QString &name, const QStringList &arguments)
{
    if (const CliCommand *found = findCommand(name))
        return runCommand(*found, arguments);
    cliReport(loadString(7416).arg(name) + u'\n' + loadString(7402).arg(program()));
    return ExitUsage;
}

} // namespace

SerialPort *cliHostPort = nullptr;

void cliOut(const QString &line)
{
    if (hostPrinter)
        return hostPrinter(false, line);
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void cliErr(const QString &line)
{
    if (hostPrinter)
        return hostPrinter(true, line);
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
}

void cliReport(const QString &text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (QString &line : lines) {
        // Instrument messages end in a blank that means nothing on a terminal.
        while (line.endsWith(u' '))
            line.chop(1);
    }
    cliErr(program() + QStringLiteral(": ") + lines.join(u'\n'));
}

void cliBadValue(int id, const QString &value)
{
    throw CliError{ExitUsage, loadString(id).arg(value)};
}

CliAmount cliAmount(const QString &text, const char *units, int id)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d*)?|\\.\\d+)\\s*([a-z]?)\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    const QString unit = match.captured(2);
    if (!match.hasMatch() ||
        (!unit.isEmpty() && !QByteArray(units).contains(unit.at(0).toLatin1())))
        cliBadValue(id, text);
    return {match.captured(1).toDouble(), unit.isEmpty() ? QChar() : unit.at(0)};
}

void cliCheckOutputFile(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        cliBadValue(7472, path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isWritable())
        throw CliError{ExitUsage, loadString(7480).arg(folder)};
}

double cliDuration(const QString &text, int id)
{
    static const QRegularExpression clock(
        QStringLiteral("^\\s*(\\d+):([0-5]\\d)(?::([0-5]\\d))?\\s*$"));
    const QRegularExpressionMatch match = clock.match(text);
    if (match.hasMatch()) {
        return match.captured(1).toDouble() * 3600.0 + match.captured(2).toDouble() * 60.0 +
               match.captured(3).toDouble();
    }
    const CliAmount amount = cliAmount(text, "smhd", id);
    const double scale = amount.unit == u'm'   ? 60.0
                         : amount.unit == u'h' ? 3600.0
                         : amount.unit == u'd' ? 86400.0
                                               : 1.0;
    return amount.value * scale;
}

CliOptions::CliOptions(const CliCommand &command) : m_command(command)
{
    add(helpOption());
}

void CliOptions::add(const QCommandLineOption &option)
{
    m_parser.addOption(option);
    m_options << option;
}

QCommandLineOption CliOptions::add(const QStringList &names, int descriptionId,
                                   const QString &valueName, const QString &descriptionArg)
{
    QString description = loadString(descriptionId);
    if (!descriptionArg.isEmpty())
        description = description.arg(descriptionArg);
    const QCommandLineOption option(names, description, valueName);
    add(option);
    return option;
}

void CliOptions::allowArguments(const QString &name, int descriptionId)
{
    m_argumentsName = name;
    m_argumentsDescriptionId = descriptionId;
}

void CliOptions::parse(const QStringList &arguments)
{
    const QString command = QString::fromLatin1(m_command.name);
    const QString usageHint = loadString(7409).arg(program() + u' ' + command);
    if (!m_parser.parse(QStringList{command} + arguments)) {
        const QStringList unknown = m_parser.unknownOptionNames();
        QString error = m_parser.errorText();
        if (!unknown.isEmpty()) {
            const QString &name = unknown.first();
            error = loadString(7414).arg(
                (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        }
        throw CliError{ExitUsage, error + u'\n' + usageHint};
    }
    if (m_parser.isSet(m_options.first())) {
        QStringList lines;
        QString usage = loadString(7408).arg(program() + u' ' + command);
        if (!m_argumentsName.isEmpty())
            usage += QStringLiteral(" [") + m_argumentsName + u']';
        lines << usage << loadString(m_command.summaryId) << QString() << loadString(7403);
        for (const QCommandLineOption &option : std::as_const(m_options))
            lines << optionHelp(option);
        if (!m_argumentsName.isEmpty())
            lines << helpLine(m_argumentsName, loadString(m_argumentsDescriptionId));
        lines << QString() << loadString(7404);
        cliOut(lines.join(u'\n'));
        throw CliError{ExitDone, QString()};
    }
    const QStringList extra = m_parser.positionalArguments();
    if (!extra.isEmpty() && m_argumentsName.isEmpty())
        throw CliError{ExitUsage, loadString(7415).arg(extra.first()) + u'\n' + usageHint};
}

QStringList CliOptions::arguments() const
{
    return m_parser.positionalArguments();
}

std::optional<int> runCommandLine(int argc, char *argv[])
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const bool command = raw.size() > 1 && !raw.at(1).startsWith(u'-');
    const QStringList helpNames{QStringLiteral("-h"), QStringLiteral("--help"),
                                QStringLiteral("-?"), QStringLiteral("--help-all")};
    const QStringList versionNames{QStringLiteral("-v"), QStringLiteral("--version")};
    bool help = false, version = false;
    for (const QString &arg : raw.mid(1)) {
        help = help || helpNames.contains(arg);
        version = version || versionNames.contains(arg);
    }
    if (!command && !help && !version)
        return std::nullopt;

    const CliCommand *found = command ? findCommand(raw.at(1)) : nullptr;
    std::unique_ptr<QCoreApplication> app;
    if (found && found->paints) {
        // Printing needs fonts and a paint device, not a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Without a desktop session (cron, ssh) the platform complains of the missing runtime
        // folder on every run; a job's mail should hold only what went wrong.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            defaultMessageHandler = qInstallMessageHandler(quietRuntimeDirWarning);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    configureApplication();

    if (command)
        return runNamedCommand(raw.at(1), QCoreApplication::arguments().mid(2));
    if (help)
        printTopLevelHelp();
    else
        cliOut(loadString(6001) + u' ' + QCoreApplication::applicationVersion());
    return int(ExitDone);
}

std::optional<int> applyDesktopOptions()
{
    QCommandLineParser parser;
    const QCommandLineOption portOption = desktopPortOption();
    parser.addOption(portOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        cliReport(parser.errorText() + u'\n' + loadString(7402).arg(program()));
        return int(ExitUsage);
    }
    // A command after the options would otherwise start the desktop application unasked.
    if (!parser.positionalArguments().isEmpty()) {
        cliReport(loadString(7415).arg(parser.positionalArguments().first()) + u'\n' +
                  loadString(7402).arg(program()));
        return int(ExitUsage);
    }
    const QRegularExpression portPattern(QStringLiteral("^COM([1-4])=(.+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QString &value : parser.values(portOption)) {
        const QRegularExpressionMatch match = portPattern.match(value);
        if (!match.hasMatch()) {
            cliReport(loadString(7417).arg(value));
            return int(ExitUsage);
        }
        setPortDeviceForRun(match.captured(1).toInt() - 1, match.captured(2));
    }
    return std::nullopt;
}

int runCommandInProcess(const QStringList &arguments, SerialPort &port, CliPrinter print)
{
    cliHostPort = &port;
    hostPrinter = std::move(print);
    clearStopSignal();
    const int code = runNamedCommand(arguments.value(0), arguments.mid(1));
    hostPrinter = nullptr;
    cliHostPort = nullptr;
    return code;
}
