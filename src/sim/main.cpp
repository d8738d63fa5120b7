#include "PtyServer.h"
#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int signalPipe[2] = {-1, -1};

// The handler only passes the signal's number on; the event loop acts on it.
void onSignal(int signal)
{
    const char c = static_cast<char>(signal);
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
                       "terminal's path, then serves it until interrupted. SIGUSR1 pulls the "
                       "cable: the terminal goes away and a new one (path printed again) comes "
                       "back after the replug delay."));
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
    const QCommandLineOption replugOption(
        QStringLiteral("replug-delay"),
        QStringLiteral("Milliseconds between SIGUSR1's unplug and the new terminal (default "
                       "3000)."),
        QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption baudOption(
        QStringLiteral("baud"),
        QStringLiteral("Line speed in baud (default 2400, the instrument's); faster lines try "
                       "long memory listings in seconds."),
        QStringLiteral("N"), QStringLiteral("2400"));
    parser.addOptions({typeOption, demoOption, recordsOption, linkOption, replugOption, baudOption});
    parser.process(app);

    const QString type = parser.value(typeOption).toUpper();
    if (type != QLatin1String("L") && type != QLatin1String("F")) {
        std::fprintf(stderr, "orvan-sim: --type must be L or F\n");
        return 2;
    }
    bool delayOk = true;
    const int replugDelay = parser.value(replugOption).toInt(&delayOk);
    if (!delayOk || replugDelay < 0) {
        std::fprintf(stderr, "orvan-sim: --replug-delay must be a number of milliseconds\n");
        return 2;
    }
    Simulator sim(type == QLatin1String("F") ? Simulator::FType : Simulator::LType);
    bool countOk = true;
    const int records = parser.value(recordsOption).toInt(&countOk);
    if (parser.isSet(recordsOption) && (!countOk || records < 0)) {
        std::fprintf(stderr, "orvan-sim: --memory-records must be a count\n");
        return 2;
    }
    const int baud = parser.value(baudOption).toInt(&countOk);
    if (!countOk || baud < 300) {
        std::fprintf(stderr, "orvan-sim: --baud must be a speed of 300 or more\n");
        return 2;
    }
    sim.setBaud(baud);
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
    PtyServer server(sim);
    QTimer replugTimer;
    replugTimer.setSingleShot(true);
    replugTimer.setInterval(replugDelay);
    QObject::connect(&replugTimer, &QTimer::timeout, &app, [&server, &app] {
        if (!server.replug()) {
            std::fprintf(stderr, "orvan-sim: %s\n", qPrintable(server.errorString()));
            app.exit(1);
            return;
        }
        std::fprintf(stderr, "orvan-sim: plugged in again\n");
        std::printf("%s\n", qPrintable(server.slavePath()));
        std::fflush(stdout);
    });

    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c = 0;
        if (::read(signalPipe[0], &c, 1) != 1)
            return;
        if (c != SIGUSR1) {
            QCoreApplication::quit();
            return;
        }
        // A second pull while the cable is out changes nothing.
        if (!server.isPlugged())
            return;
        server.unplug();
        std::fprintf(stderr, "orvan-sim: unplugged for %d ms\n", replugDelay);
        replugTimer.start();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGUSR1, &action, nullptr);

    if (!server.start(parser.value(linkOption))) {
        std::fprintf(stderr, "orvan-sim: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    return app.exec();
}
