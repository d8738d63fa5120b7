#pragma once

#include <QtGlobal>

// The one clock and event pump through which every wait of the application goes.
// Waiting loops call processEvents() between polls; the real pump blocks briefly on the
// event queue there, so a loop that waits for an hour costs next to no CPU. Tests install
// a fake pump whose clock advances as it runs.
class Pump
{
public:
    virtual ~Pump() = default;

    // Local date and time as a day count (days since 1899-12-30, time of day as the
    // fraction), truncated to whole seconds like the wall clock the loops poll.
    virtual double now() const = 0;

    // Milliseconds on a monotonic clock; only differences mean anything.
    virtual qint64 monotonicMs() const = 0;

    // Processes pending events. When none are pending, waits for one, but not for longer
    // than a few tens of milliseconds.
    virtual void processEvents() = 0;

    // Processes the events already pending and returns at once: for loops that are busy
    // working (reading or writing a file) rather than waiting. A fake pump treats it as
    // processEvents().
    virtual void processPendingEvents() { processEvents(); }

    // As processEvents(), but with nothing pending waits up to the next change of now():
    // for loops that only act on a new clock second, so that they wake once a second.
    virtual void processEventsToNextSecond() { processEvents(); }

    static Pump &instance();
    // Installs the pump used from now on; nullptr restores the real one.
    static void setInstance(Pump *pump);
};

// The pump of the running application: the system clock and Qt's event queue.
class RealPump : public Pump
{
public:
    double now() const override;
    qint64 monotonicMs() const override;
    void processEvents() override;
    void processPendingEvents() override;
    void processEventsToNextSecond() override;

private:
    void waitForEvents(int maxMs);
};
