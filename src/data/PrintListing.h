#pragma once

#include <QFont>
#include <QPainter>
#include <QString>

#include <memory>

class ClassData;
class FormFileWait;
class QPrinter;
class QWidget;

// The line-printing engine of the data listings: text lines laid out in columns on pages,
// each page numbered in a heading above the columns. All positions are printer pixels.
// One object is one job; the layout state is set up anew by every job.
class PrintListing
{
public:
    explicit PrintListing(QPrinter &printer);
    ~PrintListing();
    PrintListing(const PrintListing &) = delete;
    PrintListing &operator=(const PrintListing &) = delete;

    // The printer of both main windows; it keeps the page setup and the chosen printer
    // between jobs.
    static QPrinter &printer();
    // The page setup dialog; Cancel keeps the settings and reports nothing.
    static void showPageSetup();
    // The print dialog (no page range, no selection, printing to a file offered). True when
    // the user confirmed.
    static bool showPrintDialog();
    // Ceiling of lines / linesPerPage; 0 lines per page counts every line as a page.
    static qint16 pageCountFor(int lines, int linesPerPage);
    // The language's fixed-pitch font at dispFontSize - 1 points; where that family is not
    // installed, a metric-compatible or the system's monospaced family stands in.
    static QFont printFont();

    // Whole jobs under the progress dialog over `owner`. False when nothing could be
    // printed (the printer or file refused the document; reported to the user).
    static bool printChannel(QWidget *owner, int ch);
    // Every block of the memory window's table, in block order, on the same pages.
    static bool printMemory(QWidget *owner, const std::unique_ptr<ClassData> (&memBlocks)[64],
                            const QString &memFileName);

    // Starts the document with the print font and the margins (topMarginPoints below the top
    // of the printable area) and lays it out; false when the printer refuses to start.
    bool begin(int topMarginPoints);
    // Ends the document: every page laid out so far comes out, also after Stop.
    bool end();
    void measurePrinter();
    void startLayout();
    void printLine(const QString &text);
    void printPageHeading();
    int linesPerPage() const { return (linesPerColumn + 1) * (columnsPerPage + 1); }

    float pointScale = 1.0f; // printer pixels per point
    float lineGap = 0.0f;
    int leftMargin = 0;
    int topMargin = 0;
    int columnWidth = 0;
    int lineHeight = 0;
    int linesPerColumn = 0; // highest line index of a column
    int columnsPerPage = 0; // highest column index of a page
    int curColumn = 0;
    int curLine = 0;
    int pageIndex = 0;
    int pageCount = 0;
    QString printTitle;

private:
    // Shows "Page n/m" when the page being filled changed since the last call.
    void announcePage(FormFileWait &wait, int &announced) const;
    // One step of a job's loop; true when the user pressed Stop.
    bool stepJob(FormFileWait &wait, int i, int step, int &announced);
    // Ends the document after the last line: the last progress step and page, then the
    // printer's verdict, reported when it refused.
    bool finishJob(FormFileWait &wait, int lastPosition, int &announced);

    QPrinter &m_printer;
    QPainter m_painter;
    qreal m_ascent = 0.0;
    qreal m_width = 0.0;  // printable width in pixels
    qreal m_height = 0.0; // printable height in pixels
};
