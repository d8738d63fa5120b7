#include "CliSignals.h"

#include "AppState.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t received = 0;
std::function<void()> stopHandler;

// Only async-signal-safe calls here; the event loop does the rest.
void onStopSignal(int signal)
{
    if (received) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    received = 1;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}
} // namespace

void installStopSignals()
{
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    auto *notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char c = 0;
        while (::read(signalPipe[0], &c, 1) == 1) {
        }
        if (stopHandler)
            stopHandler();
        else
            stopRequested = true;
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (`| head`) must not kill a command with the instrument awake.
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopSignalReceived()
{
    return received != 0;
}

void clearStopSignal()
{
    received = 0;
}

void setStopHandler(std::function<void()> handler)
{
    stopHandler = std::move(handler);
}
