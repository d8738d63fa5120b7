#include "ClassCursor.h"

#include "ClassData.h"
#include "Format.h"
#include "GraphPlot.h"

#include <algorithm>

ClassCursor::ClassCursor(GraphPlot &plot) : m_plot(plot)
{
    init();
}

void ClassCursor::init()
{
    m_time = 0;
    m_lastRequest = 0;
    m_lastResult = 0;
    m_lastMode = 0;
    std::fill(std::begin(m_index), std::end(m_index), noSample);
}

int ClassCursor::nearestSample(int ch, qint32 t, bool forwards) const
{
    const ClassData *data = m_plot.channel(ch);
    if (!data || !m_plot.getWaveEnabled(ch) || data->LastNo < 0)
        return -1;
    const qint32 *times = data->elapsedArray();
    const qint32 *end = times + std::min<int>(data->LastNo, data->upperBound()) + 1;
    if (forwards) {
        const qint32 *at = std::lower_bound(times, end, t);
        return at == end ? -1 : int(at - times);
    }
    const qint32 *after = std::upper_bound(times, end, t);
    return after == times ? -1 : int(after - times) - 1;
}

void ClassCursor::search(qint32 t, bool forwards)
{
    qint32 noted[8];
    int found[8];
    for (int ch = 0; ch < 8; ++ch) {
        found[ch] = nearestSample(ch, t, forwards);
        noted[ch] = found[ch] >= 0 ? m_plot.channel(ch)->getDataX(found[ch]) : -100;
    }
    // Without a later (earlier) sample the cursor goes to the end (start) of the data.
    qint32 result = forwards ? m_plot.timeMax : 0;
    for (qint32 time : noted) {
        if (time == -100)
            continue;
        if (forwards && time >= t)
            result = std::min(result, time);
        else if (!forwards && time <= t)
            result = std::max(result, time);
    }
    for (int ch = 0; ch < 8; ++ch)
        m_index[ch] = found[ch] >= 0 && noted[ch] == result ? found[ch] : noSample;
    m_time = result;
}

void ClassCursor::moveCursor(qint32 t, int mode)
{
    if (!m_plot.graphEventsOn)
        return;
    const bool dragged = mode == 1 || m_lastMode == 1;
    const qint32 from = dragged ? m_lastRequest : m_lastResult;
    const qint32 before = m_time;
    if (t != from)
        search(t, t > from);
    m_lastRequest = t;
    m_lastResult = m_time;
    m_lastMode = mode;
    if (m_time != before)
        m_plot.cursorMoved();
}

void ClassCursor::refreshCursorData()
{
    for (int ch = 0; ch < 8; ++ch) {
        const int at = nearestSample(ch, m_time, true);
        m_index[ch] = at >= 0 && m_plot.channel(ch)->getDataX(at) == m_time ? at : noSample;
    }
}

int ClassCursor::getCursorData(int ch) const
{
    return ch >= 0 && ch < 8 ? m_index[ch] : noSample;
}

QString ClassCursor::getCursorDataStr(int ch) const
{
    const ClassData *data = m_plot.channel(ch);
    const int index = getCursorData(ch);
    if (!data || index == noSample)
        return QStringLiteral("-");
    return valueText(data->getDataY(index), data->Resolution);
}

int ClassCursor::column() const
{
    return m_plot.fTimeAxis(m_time);
}
