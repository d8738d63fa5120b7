#pragma once

#include <QtGlobal>

class FileProgress;

// Paces a file loop by the pump's clock rather than by its lines: the first call and then one
// call in every paceMs move the progress bar, let pending window events run and look at
// stopRequested. The calls in between cost one clock reading, so a loop may call it per line
// whatever the lines hold.
class FilePace
{
public:
    // Letting events run costs tens of microseconds in a widgets application; this often
    // keeps the window responsive and the Stop button prompt.
    static constexpr qint64 paceMs = 30;

    explicit FilePace(FileProgress *progress) : m_progress(progress) {}

    // Where the progress bar goes at the next due call.
    void setPosition(int position) { m_position = position; }
    // True once the user has pressed Stop; stopRequested is consumed then.
    bool stopped();
    bool stopped(int position)
    {
        m_position = position;
        return stopped();
    }
    // The same without looking again.
    bool isStopped() const { return m_stopped; }

private:
    FileProgress *m_progress;
    int m_position = 0;
    qint64 m_due = 0;
    bool m_started = false;
    bool m_stopped = false;
};
