#include "PtyServer.h"
#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}
} // namespace

// Serves a simulated instrument on a pseudo-terminal until interrupted.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvan-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates an infrared thermometer on a pseudo-terminal. Prints the "
                       "terminal's path, then serves it until interrupted."));
    parser.addHelpOption();
    const QCommandLineOption typeOption(QStringLiteral("type"),
                                        QStringLiteral("Instrument type, L or F (default L)."),
                                        QStringLiteral("L|F"), QStringLiteral("L"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo-memory"),
        QStringLiteral("Fill the memory with demonstration records (always for type F)."));
    const QCommandLineOption recordsOption(
        QStringLiteral("memory-records"),
        QStringLiteral("Fill the memory with N records of a slow drift, one a minute, instead "
                       "of the demonstration records."),
        QStringLiteral("N"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"), QStringLiteral("Also make PATH a symbolic link to the terminal."),
        QStringLiteral("PATH"));
    parser.addOptions({typeOption, demoOption, recordsOption, linkOption});
    parser.process(app);

    const QString type = parser.value(typeOption).toUpper();
    if (type != QLatin1String("L") && type != QLatin1String("F")) {
        std::fprintf(stderr, "orvan-sim: --type must be L or F\n");
        return 2;
    }
    Simulator sim(type == QLatin1String("F") ? Simulator::FType : Simulator::LType);
    bool countOk = true;
    const int records = parser.value(recordsOption).toInt(&countOk);
    if (parser.isSet(recordsOption) && (!countOk || records < 0)) {
        std::fprintf(stderr, "orvan-sim: --memory-records must be a count\n");
        return 2;
    }
    if (parser.isSet(recordsOption))
        sim.fillMemory(records);
    else if (parser.isSet(demoOption) || sim.type() == Simulator::FType)
        sim.fillDemoMemory();
    sim.setTrafficLog([](bool fromHost, const QString &line) {
        std::fprintf(stderr, "%s %s\n", fromHost ? "<-" : "->", qPrintable(line));
    });

    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("orvan-sim: socketpair");
        return 1;
    }
    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    PtyServer server(sim);
    if (!server.start(parser.value(linkOption))) {
        std::fprintf(stderr, "orvan-sim: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    return app.exec();
}
