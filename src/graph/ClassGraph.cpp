#include "ClassGraph.h"

#include "ClassData.h"
#include "GraphMath.h"

#include <QImage>
#include <QLine>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
// The end of the run of samples from `from` whose times lie before `limit`, never past `end`.
// Columns hold dozens to thousands of samples, so the times are compared four at a time.
int columnRunEnd(const qint32 *times, int from, int end, qint64 limit)
{
    const qint32 below = qint32(std::clamp<qint64>(limit, INT32_MIN, INT32_MAX));
    int j = from;
#if defined(__SSE2__)
    const __m128i bound = _mm_set1_epi32(below);
    while (end - j >= 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i *>(times + j));
        const int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(t, bound)));
        // Times rise, so the samples below the limit are the low lanes.
        if (mask != 0xF)
            return j + __builtin_ctz(~mask);
        j += 4;
    }
#endif
    while (j < end && times[j] < below)
        ++j;
    return j;
}

// Nearest integer, halves away from zero, inline: the library call costs more than the rest
// of a column's arithmetic.
inline int roundAway(double value)
{
    return int(value < 0.0 ? value - 0.5 : value + 0.5);
}

// Widens low..high by values[from..to).
void valueRange(const float *values, int from, int to, float &low, float &high)
{
    int k = from;
#if defined(__SSE2__)
    if (to - k >= 4) {
        __m128 lo = _mm_set1_ps(low);
        __m128 hi = _mm_set1_ps(high);
        for (; k + 4 <= to; k += 4) {
            const __m128 v = _mm_loadu_ps(values + k);
            lo = _mm_min_ps(lo, v);
            hi = _mm_max_ps(hi, v);
        }
        float lanes[4];
        _mm_storeu_ps(lanes, lo);
        low = std::min({lanes[0], lanes[1], lanes[2], lanes[3]});
        _mm_storeu_ps(lanes, hi);
        high = std::max({lanes[0], lanes[1], lanes[2], lanes[3]});
    }
#endif
    for (; k < to; ++k) {
        low = std::min(low, values[k]);
        high = std::max(high, values[k]);
    }
}
} // namespace

void ClassGraph::setChNo(int ch)
{
    if (ch >= 0 && ch <= 7)
        m_chNo = ch;
}

void ClassGraph::setLastDataNo(int index)
{
    if (index >= 0 && index <= 31999)
        m_lastDataNo = index;
}

int ClassGraph::findStartIndex(const ClassData &data, qint32 t)
{
    setLastDataNo(data.LastNo);
    const int last = std::min(m_lastDataNo, data.upperBound());
    if (last < 0 || data.getDataX(last) < t)
        return -1;
    int lo = 0;
    int hi = last;
    while (hi - lo >= 2) {
        const int mid = int(roundEven((lo + hi) / 2.0));
        if (data.getDataX(mid) > t)
            hi = mid;
        else
            lo = mid;
    }
    if (data.getDataX(lo) <= t)
        return std::min(lo + 1, last);
    return std::min(lo, last);
}

QRect ClassGraph::drawData(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                           const PlotFrame &frame)
{
    return drawTrace(painter, data, t0, t1, frame, QPen(QColor::fromRgb(waveColor), 0), 5);
}

int ClassGraph::printerPenValue(QRgb colour)
{
    const int brightness = qRed(colour) + qGreen(colour) + qBlue(colour);
    if (brightness < 100)
        return 4;
    if (brightness < 300)
        return 3;
    if (brightness < 500)
        return 2;
    return 1;
}

QPen ClassGraph::printerPen(int penValue, QColor colour, double penUnit)
{
    QPen pen(colour, std::max(penValue, 1) * penUnit);
    // Round ends join the separate segments of a wide trace without notches.
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void ClassGraph::setPrinterPen(QPainter &painter, bool colourPrinter, double penUnit) const
{
    if (colourPrinter)
        painter.setPen(printerPen(2, QColor::fromRgb(waveColor), penUnit));
    else
        painter.setPen(printerPen(printerPenValue(waveColor), Qt::black, penUnit));
}

QRect ClassGraph::drawDataPrinter(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                                  const PlotFrame &frame, bool colourPrinter, double penUnit)
{
    setPrinterPen(painter, colourPrinter, penUnit);
    // The sparse-sample dot keeps its screen size: five pen units.
    return drawTrace(painter, data, t0, t1, frame, painter.pen(), int(std::lround(5 * penUnit)));
}

QRect ClassGraph::drawTrace(QPainter &painter, const ClassData &data, qint32 t0, qint32 t1,
                            const PlotFrame &frame, const QPen &pen, int dotSize)
{
    if (data.LastNo < 0)
        return {};
    const int step = timeScrollStep(frame.timeScale);
    const int found = findStartIndex(data, t0 - step);
    if (found < 0)
        return {};
    const int lastIndex = std::min(m_lastDataNo, data.upperBound());
    const int first = std::clamp(found - 1, 0, lastIndex);
    const qint32 *times = data.elapsedArray();
    const float *values = data.valueArray();
    // The first sample after t1 ends the trace, so a line leaves the strip towards it.
    const int last = int(std::upper_bound(times + first, times + lastIndex + 1, t1) - times);
    const int end = std::min(last, lastIndex);

    // Plots larger than the usual limit (a printer page) keep the same margin beyond their
    // right and bottom edges, each axis by its own extent.
    const int high = std::max(pointHigh, frame.width + 300);
    const int lowest = std::max(pointHigh, frame.height + 300);
    const auto pxOf = [&](qint64 t) {
        const double x = (double(t) - frame.origin) * frame.timeScale;
        return roundAway(std::clamp(x, double(pointLow), double(high)));
    };
    const auto pyOf = [&](float v) {
        const double y = frame.height - (double(v) - frame.bottom) * frame.yScale - 1.0;
        return roundAway(std::clamp(y, double(pointLow), double(lowest)));
    };
    const auto px = [&](int i) { return pxOf(times[i]); };
    const auto py = [&](int i) { return pyOf(values[i]); };
    // First whole second whose column lies right of column x; columns rise with time.
    const auto columnEnd = [&](int x) -> qint64 {
        if (x >= high)
            return std::numeric_limits<qint64>::max();
        qint64 t = qint64(std::ceil(frame.origin + (x + 0.5) / frame.timeScale));
        while (pxOf(t - 1) > x)
            --t;
        while (pxOf(t) <= x)
            ++t;
        return t;
    };

    QVarLengthArray<QLine, 2048> lines;
    QVarLengthArray<QPoint, 64> dots;
    int prevX = px(first);
    int prevY = py(first);
    int olderY = prevY;
    int minX = prevX, maxX = prevX, minY = prevY, maxY = prevY;

    int i = first + 1;
    while (i <= end) {
        // The samples after the column's first that share its column (never the last one):
        // only their extremes matter, so they are scanned as values.
        int j = i;
        int x = px(j);
        bool collected = false;
        int colLow = 0;
        int colHigh = 0;
        if (x == prevX && j < end) {
            const qint64 limit = columnEnd(prevX);
            j = columnRunEnd(times, j, end, limit);
            float vLow = values[i];
            float vHigh = values[i];
            valueRange(values, i + 1, j, vLow, vHigh);
            collected = true;
            colLow = std::min(pyOf(vHigh), prevY);
            colHigh = std::max(pyOf(vLow), prevY);
            olderY = j - 2 >= i ? py(j - 2) : prevY;
            prevY = py(j - 1);
            x = px(j);
        }
        const int y = py(j);
        const int top = std::min({olderY, prevY, y, collected ? colLow : y});
        const int bottom = std::max({olderY, prevY, y, collected ? colHigh : y});
        const bool visible =
            x >= frame.left && prevX <= frame.right && bottom >= 0 && top <= frame.height;
        if (visible) {
            // A crowded column joined to the next column needs no slanted line: one vertical
            // line reaching the next sample's height keeps the trace unbroken at half the
            // drawing cost, which keeps dense data as cheap as one sample per column.
            if (collected && x == prevX + 1)
                lines.append(QLine(prevX, std::min(colLow, y), prevX, std::max(colHigh, y)));
            else if (collected)
                lines.append(QLine(prevX, colLow, prevX, colHigh + 1));
            if (!collected || x != prevX + 1)
                lines.append(QLine(prevX, prevY, x, y));
            if (x - prevX >= sparseGap)
                dots.append(QPoint(x, y - 1));
            minX = std::min(minX, prevX);
            maxX = std::max(maxX, x);
            minY = std::min(minY, top);
            maxY = std::max(maxY, bottom + 1);
        }
        olderY = prevY;
        prevX = x;
        prevY = y;
        i = j + 1;
    }
    if (lines.isEmpty())
        return {};

    const QColor color = pen.color();
    // On the plot picture itself vertical lines, nearly all lines of dense data, are written
    // as pixel columns: Qt's line set-up costs more than the few pixels of such a line.
    QImage *image = painter.device() && painter.device()->devType() == QInternal::Image
                        ? static_cast<QImage *>(painter.device())
                        : nullptr;
    if (image && image->format() == QImage::Format_RGB32 && image->devicePixelRatio() == 1.0 &&
        painter.transform().isIdentity() && pen.isCosmetic()) {
        const QRect clip =
            QRect(frame.left, 0, frame.right - frame.left + 1, frame.height) & image->rect();
        const QRgb pixel = 0xff000000 | color.rgb();
        int kept = 0;
        for (const QLine &line : lines) {
            if (line.x1() != line.x2()) {
                lines[kept++] = line;
                continue;
            }
            if (line.x1() < clip.left() || line.x1() > clip.right())
                continue;
            const int from = std::max(std::min(line.y1(), line.y2()), clip.top());
            const int to = std::min(std::max(line.y1(), line.y2()), clip.bottom());
            for (int y = from; y <= to; ++y)
                reinterpret_cast<QRgb *>(image->scanLine(y))[line.x1()] = pixel;
        }
        lines.resize(kept);
    }
    painter.setPen(pen);
    painter.drawLines(lines.constData(), int(lines.size()));
    // A dot is a square on whole pixels, so that a dot cut by a strip's edge and the rest of
    // it drawn with the next strip make the same square.
    for (const QPoint &dot : dots)
        painter.fillRect(QRect(dot.x() - dotSize / 2, dot.y() - dotSize / 2, dotSize, dotSize),
                         color);
    const int margin = dots.isEmpty() ? 1 : dotSize / 2 + 2;
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY)).adjusted(-margin, -margin, margin, margin);
}
