#include "Pump.h"

#include "DateTime.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace
{
Pump *installed = nullptr;

// Wakes a waiting processEvents() when nothing else does.
constexpr int maxBlockMs = 25;
} // namespace

Pump &Pump::instance()
{
    static RealPump real;
    return installed ? *installed : real;
}

void Pump::setInstance(Pump *pump)
{
    installed = pump;
}

double RealPump::now() const
{
    QDateTime t = QDateTime::currentDateTime();
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return toDayCount(t);
}

qint64 RealPump::monotonicMs() const
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void RealPump::processEvents()
{
    waitForEvents(maxBlockMs);
}

void RealPump::processEventsToNextSecond()
{
    // A few ms past the boundary, so that now() has surely moved on when the wait ends.
    waitForEvents(1000 - QTime::currentTime().msec() + 5);
}

void RealPump::waitForEvents(int maxMs)
{
    if (!QCoreApplication::instance())
        return;
    static QTimer *wake = [] {
        auto *t = new QTimer(QCoreApplication::instance());
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
        return t;
    }();
    wake->start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void RealPump::processPendingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
