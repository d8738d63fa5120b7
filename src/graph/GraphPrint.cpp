#include "GraphPrint.h"

#include "ClassData.h"
#include "Format.h"
#include "GraphPlot.h"
#include "Strings.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
constexpr QRgb gridColour = qRgb(160, 160, 160);

double pointsToPixels(const QPaintDevice &device, double points)
{
    return points * device.logicalDpiY() / 72.0;
}

int tableWidth(const QVector<PrintCell> &cells)
{
    return cells.isEmpty() ? 0 : cells.last().column + cells.last().width;
}

QVector<PrintCell> cellsOfWidths(std::initializer_list<int> widths)
{
    QVector<PrintCell> cells;
    int column = 0;
    for (int width : widths) {
        cells.append({column, width});
        column += width;
    }
    return cells;
}

// The printed view keeps the screen's time and temperature span: the plot's scales are
// stretched by the ratio of the area to the plot.
PlotFrame printFrame(const GraphPlot &plot, const QRect &area)
{
    PlotFrame frame;
    frame.origin = plot.timeOrigin;
    frame.bottom = plot.yBottom;
    frame.timeScale = plot.timeScale * area.width() / std::max(plot.plotWidth(), 1);
    frame.yScale = plot.yScale * area.height() / std::max(plot.plotHeight(), 1);
    frame.width = area.width();
    frame.height = area.height();
    frame.left = 0;
    frame.right = area.width() - 1;
    return frame;
}

// The screen's time grid step, widened along the grid ladder until the widest label and two
// characters of space fit between neighbouring lines of the printed area.
qint64 printedTimeStep(const GraphPlot &plot, const QRect &area, const QFontMetricsF &metrics)
{
    const double pixelsPerSecond =
        plot.timeScale * area.width() / double(std::max(plot.plotWidth(), 1));
    const double gap = 2 * metrics.horizontalAdvance(QLatin1Char('8'));
    qint64 step = timeGridStep(60.0 / plot.timeScale);
    for (;;) {
        double widest = 0.0;
        for (const AxisLabel &label : plot.timeLabels(step))
            widest = std::max(widest, metrics.horizontalAdvance(label.text));
        const qint64 next = timeGridStep(double(step) + 0.5);
        if (widest + gap <= step * pixelsPerSecond || next <= step)
            return step;
        step = next;
    }
}

QVector<AxisLabel> printedTimeLabels(QPainter &painter, const GraphPlot &plot, const QRect &area)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    return plot.timeLabels(printedTimeStep(plot, area, metrics));
}

qint32 printedEnd(const GraphPlot &plot)
{
    return qint32((plot.plotWidth() - 1) / double(plot.timeScale)) + plot.timeOrigin + 1;
}
} // namespace

QVector<PrintCell> infoTableCells()
{
    return cellsOfWidths({6, 20, 18, 21, 21, 15, 18});
}

QVector<PrintCell> cursorTableCells()
{
    return cellsOfWidths({6, 36, 36});
}

QString fitCellText(const QString &text, double room, const QFontMetricsF &metrics)
{
    if (metrics.horizontalAdvance(text) <= room)
        return text;
    const QString dots = QStringLiteral("...");
    int keep = 0;
    while (keep < text.size() && metrics.horizontalAdvance(text.left(keep + 1) + dots) <= room)
        ++keep;
    return text.left(keep) + dots;
}

void printTableRow(QPainter &painter, const PrintGrid &grid, int line,
                   const QVector<PrintCell> &cells, const QStringList &texts)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double top = grid.origin.y() + line * grid.lineHeight;
    const double baseline = top + (grid.lineHeight + metrics.ascent() - metrics.descent()) / 2;
    for (int i = 0; i < cells.size() && i < texts.size(); ++i) {
        const double room = (cells[i].width - 4) * grid.charWidth;
        const double x = grid.origin.x() + (cells[i].column + 2) * grid.charWidth;
        painter.drawText(QPointF(x, baseline), fitCellText(texts[i], room, metrics));
    }
}

void printTableFrame(QPainter &painter, const PrintGrid &grid, int line, int rows,
                     const QVector<PrintCell> &cells)
{
    for (int row = 0; row < rows; ++row) {
        for (const PrintCell &cell : cells) {
            painter.drawRect(QRectF(grid.origin.x() + cell.column * grid.charWidth,
                                    grid.origin.y() + (line + row) * grid.lineHeight,
                                    cell.width * grid.charWidth, grid.lineHeight));
        }
    }
}

int graphHeaderLines(const GraphPlot &plot)
{
    int shown = 0;
    for (int ch = 0; ch < 8; ++ch)
        shown += plot.channel(ch) != nullptr;
    // Each table has a heading and a row per channel; one line stands between them.
    return 2 * (shown + 1) + 1;
}

int printGraphHeader(QPainter &painter, const GraphPlot &plot, const PrintGrid &grid)
{
    QVector<int> shown;
    for (int ch = 0; ch < 8; ++ch) {
        if (plot.channel(ch))
            shown.append(ch);
    }
    int line = 0;
    const QVector<PrintCell> info = infoTableCells();
    printTableFrame(painter, grid, line, int(shown.size()) + 1, info);
    printTableRow(painter, grid, line++, info,
                  {loadString(1213), loadString(1214), loadString(5015), loadString(1215),
                   loadString(1216), loadString(1217), loadString(1221)});
    for (int ch : shown) {
        // The row is named by its slot, as in the cursor table, whatever number the data set
        // was recorded under.
        QStringList texts{QString::number(ch + 1)};
        for (int item = 1; item < 7; ++item)
            texts << plot.channel(ch)->getCHInfo(item).trimmed();
        printTableRow(painter, grid, line++, info, texts);
    }

    ++line;
    const QVector<PrintCell> cursor = cursorTableCells();
    printTableFrame(painter, grid, line, int(shown.size()) + 1, cursor);
    QStringList headings{loadString(2600)};
    for (int k = 0; k < 2; ++k) {
        headings << (QStringList{loadString(2601 + k)} +
                     plot.cursorTimeTexts(plot.cursors[k].Time()))
                        .join(QLatin1Char(' '));
    }
    printTableRow(painter, grid, line++, cursor, headings);
    for (int ch : shown) {
        const ClassData &data = *plot.channel(ch);
        QStringList texts{QString::number(ch + 1)};
        for (const ClassCursor &c : plot.cursors) {
            const int index = c.getCursorData(ch);
            if (index == ClassCursor::noSample || index < 0)
                texts << QStringLiteral("*");
            else
                texts << QStringList{c.getCursorDataStr(ch).trimmed(), data.getDataDate(index),
                                     data.getDataTime(index)}
                             .join(QLatin1Char(' '));
        }
        printTableRow(painter, grid, line++, cursor, texts);
    }
    return line;
}

void drawGridPrinter(QPainter &painter, const GraphPlot &plot, const QRect &area, double penUnit)
{
    if (!plot.gridOn)
        return;
    // The horizontal grid lines are those of the screen stretched to the area; the vertical
    // ones stand where the printed time labels stand.
    const double sx = area.width() / double(std::max(plot.plotWidth(), 1));
    const double sy = area.height() / double(std::max(plot.plotHeight(), 1));
    QPen pen(QColor::fromRgb(gridColour), penUnit, Qt::DotLine);
    painter.setPen(pen);
    for (const AxisLabel &label : plot.yLabels()) {
        const double y = area.top() + label.position * sy;
        if (y >= area.top() && y <= area.bottom())
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    for (const AxisLabel &label : printedTimeLabels(painter, plot, area)) {
        const double x = area.left() + label.position * sx;
        if (x >= area.left() && x <= area.right())
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
}

void drawDataPrinter(QPainter &painter, GraphPlot &plot, const QRect &area, bool colourPrinter,
                     double penUnit)
{
    const PlotFrame frame = printFrame(plot, area);
    const qint32 end = printedEnd(plot);
    painter.save();
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    for (int ch = 0; ch < 8; ++ch) {
        const ClassData *data = plot.channel(ch);
        if (data && plot.traces[ch].waveEnabled)
            plot.traces[ch].drawDataPrinter(painter, *data, plot.timeOrigin, end, frame,
                                            colourPrinter, penUnit);
    }
    painter.restore();
}

void drawGrid2Printer(QPainter &painter, const QRect &area, double penUnit)
{
    painter.setPen(QPen(Qt::black, penUnit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
}

void printCursorLines(QPainter &painter, const GraphPlot &plot, const QRect &area, double penUnit)
{
    const PlotFrame frame = printFrame(plot, area);
    const qint32 end = printedEnd(plot);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const QString letters[2] = {QStringLiteral("A"), QStringLiteral("B")};
    for (int k = 0; k < 2; ++k) {
        const qint32 t = plot.cursors[k].Time();
        if (t < plot.timeOrigin || t > end)
            continue;
        const double x = area.left() + (double(t) - frame.origin) * frame.timeScale;
        if (x > area.right())
            continue;
        painter.setPen(ClassGraph::printerPen(2, Qt::black, penUnit));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.drawText(QPointF(x - metrics.horizontalAdvance(letters[k]) / 2,
                                 area.top() - metrics.descent() - penUnit * 2),
                         letters[k]);
    }
}

GraphPage graphPageLayout(const QPaintDevice &device, const GraphPlot &plot)
{
    GraphPage page;
    const double pageWidth = device.width();
    const double pageHeight = device.height();
    // Pen value 1 is half a point.
    page.penUnit = pointsToPixels(device, 0.5);

    QFont &font = page.font;
    font = QFont(fixedFontName);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(std::max(dispFontSize - 1, 4));
    PrintGrid &grid = page.grid;
    grid.origin = QPointF(pointsToPixels(device, 40), pointsToPixels(device, 30));
    const int columns = tableWidth(infoTableCells()) + 1;
    QFontMetricsF metrics(font, &device);
    // A narrow page gets a smaller font rather than tables running off its edge.
    const double room = pageWidth - grid.origin.x();
    if (metrics.horizontalAdvance(QLatin1Char('8')) * columns > room) {
        font.setPointSizeF(font.pointSizeF() * room /
                           (metrics.horizontalAdvance(QLatin1Char('8')) * columns));
        metrics = QFontMetricsF(font, &device);
    }
    grid.charWidth = metrics.horizontalAdvance(QLatin1Char('8'));
    grid.lineHeight = metrics.boundingRect(QStringLiteral("88g")).height() * 1.5;

    const int lines = graphHeaderLines(plot);
    const int labelRoom =
        int(std::ceil(metrics.horizontalAdvance(QStringLiteral("-0000.0")) + 2 * grid.charWidth));
    const int left = int(grid.origin.x()) + labelRoom;
    const int top = int(grid.origin.y() + (lines + 2) * grid.lineHeight);
    const int right = int(pageWidth - 4 * grid.charWidth);
    const int bottom = int(pageHeight - pointsToPixels(device, 30) - 2 * grid.lineHeight);
    page.area = QRect(QPoint(left, top), QPoint(right, std::max(bottom, top + 10)));
    return page;
}

void printGraph(QPainter &painter, GraphPlot &plot, bool colourPrinter)
{
    const GraphPage page = graphPageLayout(*painter.device(), plot);
    const PrintGrid &grid = page.grid;
    const QRect &area = page.area;
    const double penUnit = page.penUnit;
    const QFontMetricsF metrics(page.font, painter.device());
    painter.setFont(page.font);
    painter.setPen(QPen(Qt::black, penUnit));
    painter.setBrush(Qt::NoBrush);

    printGraphHeader(painter, plot, grid);
    const QString caption = plot.yUnitCaption();

    drawGridPrinter(painter, plot, area, penUnit);
    drawDataPrinter(painter, plot, area, colourPrinter, penUnit);
    drawGrid2Printer(painter, area, penUnit);

    painter.setPen(QPen(Qt::black, penUnit));
    const double sx = area.width() / double(std::max(plot.plotWidth(), 1));
    const double sy = area.height() / double(std::max(plot.plotHeight(), 1));
    const double centre = (metrics.ascent() - metrics.descent()) / 2;
    for (const AxisLabel &label : plot.yLabels()) {
        const double y = area.top() + label.position * sy;
        if (y < area.top() - 1 || y > area.bottom() + 1)
            continue;
        painter.drawText(
            QPointF(area.left() - grid.charWidth - metrics.horizontalAdvance(label.text),
                    y + centre),
            label.text);
    }
    painter.drawText(QPointF(area.left() - grid.charWidth - metrics.horizontalAdvance(caption),
                             area.top() - metrics.descent() - penUnit * 2),
                     caption);
    // Even at the ladder's last step a label never runs into the one before it.
    double labelsEnd = -1e9;
    for (const AxisLabel &label : printedTimeLabels(painter, plot, area)) {
        const double x = area.left() + label.position * sx;
        if (x < area.left() - 1 || x > area.right() + 1)
            continue;
        const double width = metrics.horizontalAdvance(label.text);
        if (x - width / 2 < labelsEnd + grid.charWidth)
            continue;
        painter.drawText(QPointF(x - width / 2, area.bottom() + grid.lineHeight), label.text);
        labelsEnd = x + width / 2;
    }
    printCursorLines(painter, plot, area, penUnit);
}

bool printGraph(QPagedPaintDevice &device, GraphPlot &plot, bool colourPrinter)
{
    QPainter painter(&device);
    if (!painter.isActive())
        return false;
    printGraph(painter, plot, colourPrinter);
    return painter.end();
}

QString graphPrintFileName(const GraphPlot &plot, const QString &previousOutput)
{
    QString base = QStringLiteral("graph");
    for (int ch = 0; ch < 8; ++ch) {
        if (const ClassData *data = plot.channel(ch)) {
            const QString name = QFileInfo(fileNameOf(data->FileName)).completeBaseName();
            base = (name.isEmpty() ? QStringLiteral("CH%1").arg(ch + 1) : name) +
                   QStringLiteral("_graph");
            break;
        }
    }
    const QDir folder = QFileInfo(previousOutput).absoluteDir();
    QString path = folder.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1_%2.pdf").arg(base).arg(n));
    return path;
}

void drawGraphLegend(QPainter &painter, const GraphPlot &plot, const QPoint &at)
{
    const QFontMetrics metrics(painter.font());
    int x = at.x() + 4;
    const int baseline = at.y() + 2 + metrics.ascent();
    const int barTop = baseline - (metrics.ascent() - metrics.descent()) / 2 - 2;
    for (int ch = 0; ch < 8; ++ch) {
        if (!plot.getWaveEnabled(ch))
            continue;
        painter.fillRect(QRect(x, barTop, 24, 4), QColor::fromRgb(plot.getWaveColor(ch)));
        x += 28;
        const QString name = QStringLiteral("CH%1").arg(ch + 1);
        painter.setPen(Qt::black);
        painter.drawText(x, baseline, name);
        x += metrics.horizontalAdvance(name) + 8;
    }
}

QImage copyGraphImage(GraphPlot &plot)
{
    const int w = plot.plotWidth();
    const int h = plot.plotHeight();
    const QFont labelFont(graphFontName, dispFontSize);
    QImage picture1(w + 80, h + 50, QImage::Format_RGB32);
    picture1.fill(Qt::white);
    if (w <= 0 || h <= 0)
        return picture1;
    QImage picture2(w, h, QImage::Format_RGB32);
    picture2.fill(Qt::white);
    {
        QPainter painter(&picture2);
        plot.drawDataClip(painter, w, h);
    }

    QPainter painter1(&picture1);
    painter1.setPen(QPen(Qt::black, 0));
    painter1.drawRect(clipPlotLeft - 1, clipPlotTop - 1, w + 1, h + 1);
    painter1.drawImage(clipPlotLeft, clipPlotTop, picture2);

    // Legend and labels are drawn on white and ANDed in: their dark pixels show over the
    // graph and the white around them leaves it unchanged.
    painter1.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    picture2.fill(Qt::white);
    {
        QPainter painter(&picture2);
        painter.setFont(labelFont);
        drawGraphLegend(painter, plot, QPoint(0, 0));
    }
    painter1.drawImage(clipPlotLeft, clipPlotTop, picture2);

    QImage labels(picture1.size(), QImage::Format_RGB32);
    labels.fill(Qt::white);
    {
        QPainter painter(&labels);
        painter.setFont(labelFont);
        painter.setPen(Qt::black);
        plot.drawYLabels(painter, QPoint(clipPlotLeft, clipPlotTop));
        plot.drawTimeLabels(painter, QPoint(clipPlotLeft, clipPlotTop));
    }
    painter1.drawImage(0, 0, labels);
    painter1.end();
    return picture1;
}
