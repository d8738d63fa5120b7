#include "ClassGraph.h"

#include "ClassData.h"
#include "GraphMath.h"

#include <QLine>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

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

    // Plots wider than the usual limit keep the same margin beyond their right edge.
    const int high = std::max(pointHigh, frame.width + 300);
    const auto px = [&](int i) {
        const double x = (double(times[i]) - frame.origin) * frame.timeScale;
        return int(std::lround(std::clamp(x, double(pointLow), double(high))));
    };
    const auto py = [&](int i) {
        const double y = frame.height - (double(values[i]) - frame.bottom) * frame.yScale - 1.0;
        return int(std::lround(std::clamp(y, double(pointLow), double(high))));
    };

    QVarLengthArray<QLine, 2048> lines;
    QVarLengthArray<QPoint, 64> dots;
    int prevX = px(first);
    int prevY = py(first);
    int olderY = prevY;
    int colLow = 99999;
    int colHigh = -99999;
    int minX = prevX, maxX = prevX, minY = prevY, maxY = prevY;

    for (int i = first + 1; i <= end; ++i) {
        const int x = px(i);
        const int y = py(i);
        if (x == prevX && i != end) {
            colLow = std::min({colLow, y, prevY});
            colHigh = std::max({colHigh, y, prevY});
            olderY = prevY;
            prevY = y;
            continue;
        }
        const bool collected = colLow <= colHigh;
        const int top = std::min({olderY, prevY, y, collected ? colLow : y});
        const int bottom = std::max({olderY, prevY, y, collected ? colHigh : y});
        const bool visible = x >= frame.left && prevX <= frame.right && bottom >= 0 &&
                             top <= frame.height;
        if (visible) {
            if (collected)
                lines.append(QLine(prevX, colLow, prevX, colHigh + 1));
            lines.append(QLine(prevX, prevY, x, y));
            if (x - prevX >= sparseGap)
                dots.append(QPoint(x, y - 1));
            minX = std::min(minX, prevX);
            maxX = std::max(maxX, x);
            minY = std::min(minY, top);
            maxY = std::max(maxY, bottom + 1);
        }
        colLow = 99999;
        colHigh = -99999;
        olderY = prevY;
        prevX = x;
        prevY = y;
    }
    if (lines.isEmpty())
        return {};

    const QColor color = QColor::fromRgb(waveColor);
    painter.setPen(QPen(color, 0));
    painter.drawLines(lines.constData(), int(lines.size()));
    // A dot is a 5 x 5 square on whole pixels, so that a dot cut by a strip's edge and the
    // rest of it drawn with the next strip make the same square.
    for (const QPoint &dot : dots)
        painter.fillRect(QRect(dot.x() - 2, dot.y() - 2, 5, 5), color);
    const int margin = dots.isEmpty() ? 1 : 4;
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY)).adjusted(-margin, -margin, margin, margin);
}
