#pragma once

#include "SheetLog.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One worksheet: its name (empty = "Sheet1") and its rows of cell texts.
struct SheetRows {
    QString name;
    QList<QStringList> rows;
};

// Spreadsheet logging into .xlsx workbooks. A logged run's rows go to a comma-separated side
// file ("<workbook>.rows"), flushed per row, because libxlsxwriter writes nothing until the
// workbook is closed; release() turns the side file into the workbook. A side file left by a
// crash is turned into its workbook by recover() at the next start.
class SheetWriter : public SheetLog
{
public:
    explicit SheetWriter(const QString &folder = defaultFolder());
    // Leaves an unfinished side file in place, as a crash would.
    ~SheetWriter() override;

    bool available() override;
    void openExcelLog(const ClassData &data, const QString &path = QString()) override;
    void writeExcelRow(double time, float value) override;
    void release() override;

    QString folder() const { return m_folder; }
    // Rows of the open side file, the header included; 0 when none is open.
    int rowCount() const { return m_rows; }
    // Called with the path of every workbook release() finishes.
    std::function<void(const QString &path)> finished;

    // Settings.ExcelFolder, or the documents folder's "OrvanUtility" when that is empty.
    static QString defaultFolder();
    // True when the folder exists and is writable, or could be created (nothing is created).
    static bool canCreateFolder(const QString &folder);
    // "<prefix> yyyy-MM-dd hh-mm-ss.xlsx" in the folder, with " (2)", " (3)".. when the
    // workbook or its side file already exists.
    static QString workbookPath(const QString &folder, const QString &prefix, double dayCount);
    // Writes through "<path>.part" and a rename, so a failure never leaves a truncated
    // workbook. Every cell is text; column A is 13 wide.
    static bool writeWorkbook(const QString &path, const QList<SheetRows> &sheets);
    // One worksheet "No. n" per existing block, in block order. Returns the workbook's path,
    // or an empty text when it could not be written.
    static QString exportBlocks(const QString &folder, const std::unique_ptr<ClassData> *blocks,
                                int count, double dayCount);
    // Turns every side file without its workbook into the workbook and removes side files
    // whose workbook exists. Returns the paths of the workbooks built.
    static QStringList recover(const QString &folder);
    // Header row of a data set: Date, Time, Data[unit].
    static QStringList headerRow(int unit);
    static QStringList sampleRow(double time, float value, int resolution);

    // Whether windows open finished workbooks with the desktop's application; tests clear it.
    static bool openFinished;

private:
    QString m_folder;
    QString m_workbook;
    QFile m_side;
    int m_rows = 0;
    int m_resolution = 0;
};
