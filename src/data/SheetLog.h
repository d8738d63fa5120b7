#pragma once

#include <QString>
#include <QtGlobal>

class ClassData;

// The spreadsheet a logged run copies its samples into, one row per sample. The base
// writes nothing and reports no spreadsheet.
class SheetLog
{
public:
    virtual ~SheetLog() = default;
    // Whether a spreadsheet can be written at all.
    virtual bool available() { return false; }
    // Starts a new sheet with the header row for `data`, at `path` or, when that is empty, at
    // a name of the log's own choosing; errors never stop a run.
    virtual void openExcelLog(const ClassData &data, const QString &path = QString())
    {
        Q_UNUSED(data)
        Q_UNUSED(path)
    }
    virtual void writeExcelRow(double time, float value)
    {
        Q_UNUSED(time)
        Q_UNUSED(value)
    }
    // The run ended; the sheet stays as written.
    virtual void release() {}
};
