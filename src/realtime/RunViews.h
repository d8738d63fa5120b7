#pragma once

#include <QtGlobal>

class ClassData;

// The graph window as the measurement engine drives it. The base draws nothing, so the
// channel list runs the same with or without a graph window attached.
class GraphView
{
public:
    virtual ~GraphView() = default;
    // The channel's data set was replaced or changed as a whole.
    virtual void initGraphCh(int ch) { Q_UNUSED(ch) }
    // A sample was appended; `newestX` is its elapsed seconds.
    virtual void Refresh2(qint32 newestX) { Q_UNUSED(newestX) }
};

// The spreadsheet a logged run copies its samples into, one row per sample. The base
// writes nothing and reports no spreadsheet.
class SheetLog
{
public:
    virtual ~SheetLog() = default;
    // Whether a spreadsheet can be written at all.
    virtual bool available() { return false; }
    // Starts a new sheet with the header row for `data`; errors never stop a run.
    virtual void openExcelLog(const ClassData &data) { Q_UNUSED(data) }
    virtual void writeExcelRow(double time, float value)
    {
        Q_UNUSED(time)
        Q_UNUSED(value)
    }
    // The run ended; the sheet stays as written.
    virtual void release() {}
};
