#pragma once

#include "GraphView.h"
#include "SheetLog.h"

#include <QString>
#include <QtGlobal>

// What the measurement engine shows while it runs: the monitor (the latest reading and the
// run's description), the channel's row and table, the handshake and the timer-start waits.
// Every call comes on the thread that runs the engine; the base shows nothing, so a command
// line overrides only what it prints.
class RunView
{
public:
    virtual ~RunView() = default;

    // The monitor, empty: mode 0 for a monitor run, 1 for a logged run.
    virtual void openMonitor(int mode) { Q_UNUSED(mode) }
    // Every reading, once a second, logged or not.
    virtual void dispTemp(float value, double time)
    {
        Q_UNUSED(value)
        Q_UNUSED(time)
    }
    // Lines of the monitor: 1 start, 2 stop or count, 3 interval, 4 samples stored.
    virtual void setMonitorLabel(int index, const QString &text)
    {
        Q_UNUSED(index)
        Q_UNUSED(text)
    }
    virtual void closeMonitor() {}

    // A logged run has put a new, empty data set into channel `ch` (0..7).
    virtual void channelPrepared(int ch) { Q_UNUSED(ch) }
    // The sample (time as a day count) is stored in channelData[ch].
    virtual void sampleStored(int ch, double time, float value)
    {
        Q_UNUSED(ch)
        Q_UNUSED(time)
        Q_UNUSED(value)
    }
    // The run into `ch` is over: its data set is final, or gone when it stored nothing.
    virtual void runEnded(int ch) { Q_UNUSED(ch) }

    // The handshake received the instrument's settings into MeasSetting.
    virtual void settingsReceived() {}
    // Whether a run may measure in `unit`; false after telling the user why.
    virtual bool acceptUnit(int unit)
    {
        Q_UNUSED(unit)
        return true;
    }
    // Commands that must not run during a run are disabled, then enabled again.
    virtual void setControlsEnabled(bool enabled) { Q_UNUSED(enabled) }
    // The timer-start wait with its Stop button, which raises stopRequested; hidden through
    // the link's hideCommDialog. setWaitClock shows the present time while it waits.
    virtual void showWait(const QString &title, const QString &message, const QString &button)
    {
        Q_UNUSED(title)
        Q_UNUSED(message)
        Q_UNUSED(button)
    }
    virtual void setWaitClock(const QString &text) { Q_UNUSED(text) }
    // A warning about the run that does not stop it, given once at its start.
    virtual void notice(const QString &text) { Q_UNUSED(text) }
};
