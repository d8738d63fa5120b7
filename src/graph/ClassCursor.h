#pragma once

#include <QRgb>
#include <QString>
#include <QtGlobal>

class GraphPlot;

// A measuring cursor: a vertical line standing on a sample time of the shown channels. It is
// drawn over the plot picture, never into it, so moving it needs no saved pixels.
class ClassCursor
{
public:
    // The index of a channel without a sample at the cursor.
    static constexpr int noSample = -999;

    explicit ClassCursor(GraphPlot &plot);

    // No samples, time 0.
    void init();
    QRgb Color() const { return m_color; }
    void setColor(QRgb colour) { m_color = colour; }
    qint32 Time() const { return m_time; }
    // Moves to the sample time nearest to t in the direction of the move (a step).
    void setTime(qint32 t) { moveCursor(t, 0); }

    // mode 1 is a continuous drag, anything else a step. The direction is taken from the
    // last request after a drag and from the last result after a step; forwards the cursor
    // stops on the first later sample time of any shown channel (or timeMax), backwards on
    // the last earlier one (or 0).
    void moveCursor(qint32 t, int mode);
    // The channels' samples at the current time again, after their data changed.
    void refreshCursorData();

    // The sample index of channel ch at the cursor, or noSample.
    int getCursorData(int ch) const;
    // The channel's value at the cursor as the value texts show it, or "-".
    QString getCursorDataStr(int ch) const;
    // The plot column of the line.
    int column() const;

private:
    // Sample index of channel ch at or after t (forwards) or at or before t; -1 when none.
    int nearestSample(int ch, qint32 t, bool forwards) const;
    void search(qint32 t, bool forwards);

    GraphPlot &m_plot;
    QRgb m_color = 0;
    qint32 m_time = 0;
    int m_index[8];
    qint32 m_lastRequest = 0;
    qint32 m_lastResult = 0;
    int m_lastMode = 0;
};
