#include "FilePace.h"

#include "AppState.h"
#include "FileProgress.h"
#include "Pump.h"

bool FilePace::stopped()
{
    if (m_stopped)
        return true;
    Pump &pump = Pump::instance();
    const qint64 now = pump.monotonicMs();
    if (m_started && now < m_due)
        return false;
    m_started = true;
    m_due = now + paceMs;
    if (m_progress)
        m_progress->ProgressJob(m_position);
    pump.processPendingEvents();
    if (stopRequested) {
        stopRequested = false;
        m_stopped = true;
    }
    return m_stopped;
}
