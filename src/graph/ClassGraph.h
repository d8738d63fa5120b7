#pragma once

#include <QPen>
#include <QRect>
#include <QRgb>
#include <QtGlobal>

class ClassData;
class QPainter;

// The view a drawing works in, copied from the graph at its start. Pixels are plot pixels;
// `left`..`right` are the columns being drawn (a strip, or the whole plot).
struct PlotFrame {
    qint32 origin = 0;
    float bottom = 0.0f;
    double timeScale = 1.0; // pixels per second
    double yScale = 1.0;    // pixels per degree
    int width = 0;
    int height = 0;
    int left = 0;
    int right = -1;
};

// One channel's trace: its colour, whether it is shown, and the drawing of its samples.
class ClassGraph
{
public:
    // Trace points are limited to this range so that a line to a far-off sample leaves the
    // plot at its edge instead of overflowing the drawing coordinates.
    static constexpr int pointLow = -300;
    static constexpr int pointHigh = 3000;
    // A sample this many pixels or more right of the previous one gets a dot.
    static constexpr int sparseGap = 20;

    bool waveEnabled = false;
    QRgb waveColor = 0;

    int ChNo() const { return m_chNo; }
    // Values outside 0..7 are ignored.
    void setChNo(int ch);
    int LastDataNo() const { return m_lastDataNo; }
    // Values outside 0..31999 are ignored.
    void setLastDataNo(int index);

    // The first sample after t (binary search over `data`, whose times rise); -1 when the
    // last sample is earlier than t.
    int findStartIndex(const ClassData &data, qint32 t);

    // Draws the samples whose times lie in t0..t1, joined to the sample before; samples
    // sharing a pixel column become one vertical line through their range, so the cost is
    // bounded by the plot width. Returns the pixels touched (empty when nothing was drawn).
    QRect drawData(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                   const PlotFrame &frame);

    // Pen value 1..4 of a trace on a monochrome printer from the colour's brightness R+G+B:
    // below 100 -> 4, below 300 -> 3, below 500 -> 2, else 1, so that traces stay apart
    // without colour.
    static int printerPenValue(QRgb colour);
    // A printer pen `penValue` pen units wide; `penUnit` is in device pixels.
    static QPen printerPen(int penValue, QColor colour, double penUnit);
    // Colour printer: the trace colour at pen value 2; monochrome: black at printerPenValue.
    void setPrinterPen(QPainter &painter, bool colourPrinter, double penUnit) const;
    // drawData on a printer page: `frame` is in device pixels, the pen from setPrinterPen.
    QRect drawDataPrinter(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                          const PlotFrame &frame, bool colourPrinter, double penUnit);

private:
    QRect drawTrace(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                    const PlotFrame &frame, const QPen &pen, int dotSize);

    int m_chNo = 0;
    int m_lastDataNo = 31999;
};
