#pragma once

#include <QtGlobal>

// The graph window as the measurement engine drives it. The base draws nothing, so the
// channel list runs the same with or without a graph window attached.
class GraphView
{
public:
    virtual ~GraphView() = default;
    // The channel's data set was replaced or changed as a whole.
    virtual void initGraphCh(int ch) { Q_UNUSED(ch) }
    // The channel a run appends to from now on; -1 when no run is going.
    virtual void setMeasuringCh(int ch) { Q_UNUSED(ch) }
    // A sample was appended; `newestX` is its elapsed seconds.
    virtual void Refresh2(qint32 newestX) { Q_UNUSED(newestX) }
};
