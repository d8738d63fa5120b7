#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QStringList>
#include <QVector>

class GraphPlot;
class QFontMetricsF;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// The character grid the print-outs place text on: an origin, a character width and a line
// height, all in device pixels; cells are given in character columns and lines.
struct PrintGrid {
    QPointF origin;
    double charWidth = 1.0;
    double lineHeight = 1.0;
};

// A table cell: its first character column and its width in characters. The text stands two
// characters in from the left edge and gets width - 4 characters.
struct PrintCell {
    int column = 0;
    int width = 0;
};

// Cells of the channel information table (CH, Title, File Name, Start Time, Stop Time,
// Data Num., Meas. Person) and of the cursor table (CH, Cursor A, Cursor B).
QVector<PrintCell> infoTableCells();
QVector<PrintCell> cursorTableCells();

// `text` as it fits into `room` device pixels: whole when it fits, else the longest left part
// that fits together with "..." and then "...".
QString fitCellText(const QString &text, double room, const QFontMetricsF &metrics);

// One row of cells at grid line `line`, each text shortened to its cell.
void printTableRow(QPainter &painter, const PrintGrid &grid, int line,
                   const QVector<PrintCell> &cells, const QStringList &texts);
// The boxes of `rows` rows of cells, the first at grid line `line`.
void printTableFrame(QPainter &painter, const PrintGrid &grid, int line, int rows,
                     const QVector<PrintCell> &cells);
// The channel information table and the cursor table from grid line 0; returns the number
// of lines they take.
int printGraphHeader(QPainter &painter, const GraphPlot &plot, const PrintGrid &grid);

// The graph area of a print-out: `area` is in device pixels and shows the plot's current
// view; `penUnit` is the width of pen value 1 in device pixels.
void drawGridPrinter(QPainter &painter, const GraphPlot &plot, const QRect &area, double penUnit);
void drawDataPrinter(QPainter &painter, GraphPlot &plot, const QRect &area, bool colourPrinter,
                     double penUnit);
// The frame around the area, drawn over the traces so that clipped trace ends look clean.
void drawGrid2Printer(QPainter &painter, const QRect &area, double penUnit);
// Each cursor inside the printed time range as a black line with its letter above it.
void printCursorLines(QPainter &painter, const GraphPlot &plot, const QRect &area, double penUnit);

// Lines the two tables take for the plot's channels.
int graphHeaderLines(const GraphPlot &plot);

// Where a print-out of the plot stands on `device`: the table font and character grid, the
// graph area and the width of pen value 1, all in device pixels.
struct GraphPage {
    QFont font;
    PrintGrid grid;
    QRect area;
    double penUnit = 1.0;
};
GraphPage graphPageLayout(const QPaintDevice &device, const GraphPlot &plot);

// One page: the two tables and the graph area with labels and cursors, on the painter's
// device (a printer or a PDF writer).
void printGraph(QPainter &painter, GraphPlot &plot, bool colourPrinter);
// The same on `device`, ending the document so that the page goes out; false when the
// device refused the document.
bool printGraph(QPagedPaintDevice &device, GraphPlot &plot, bool colourPrinter);
// The file a print to a file is offered: named after the first channel's file (or "CHn"),
// in the folder of `previousOutput`, numbered on where that name is taken.
QString graphPrintFileName(const GraphPlot &plot, const QString &previousOutput);

// Offset of the plot in the clipboard picture; the picture is 80 pixels wider and 50 higher
// than the plot, leaving room for the labels.
inline constexpr int clipPlotLeft = 45;
inline constexpr int clipPlotTop = 20;
// The colour bars and names of the shown channels, over a white background at `at`.
void drawGraphLegend(QPainter &painter, const GraphPlot &plot, const QPoint &at);
// The clipboard picture of the current view: grid, traces, legend and axis labels.
QImage copyGraphImage(GraphPlot &plot);
