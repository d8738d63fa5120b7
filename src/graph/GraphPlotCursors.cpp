// The graph's cursors, their readings and statistics, the selection rectangle and the pointer.
#include "GraphPlot.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "Strings.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
// A pointer this close to a cursor line grabs the line instead of starting a rectangle.
constexpr int grabDistance = 3;

// hh:nn:ss of a span of seconds; hours go past 24 for long spans.
QString spanText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

void GraphPlot::cursorMoved()
{
    m_listener->overlayChanged();
    setupCursorScroll();
}

QStringList GraphPlot::cursorTimeTexts(qint32 elapsed) const
{
    const ClassData *clock = cursorTimeCh > 0 ? channel(cursorTimeCh - 1) : nullptr;
    if (clock) {
        const double at = clock->StartDateTime + elapsed / secondsPerDay;
        return {dateText(at), timeText(at)};
    }
    const qint32 days = elapsed / 86400;
    const qint32 rest = elapsed - days * 86400;
    const QString dayText = QString::number(days) + loadString(2212);
    return {dayText, days > 0 && rest < 1 ? dayText : timeText(rest / secondsPerDay)};
}

QStringList GraphPlot::cursorRow(int k) const
{
    const ClassCursor &cursor = cursors[qBound(0, k, 1)];
    QStringList row = cursorTimeTexts(cursor.Time());
    float minimum = statisticsMinStart;
    float maximum = statisticsMaxStart;
    double sum = 0.0;
    int normal = 0;
    int resolution = 1;
    for (int ch = 0; ch < 8; ++ch) {
        const ClassData *data = channel(ch);
        const int index = cursor.getCursorData(ch);
        if (!data || !traces[ch].waveEnabled) {
            row << QString();
            continue;
        }
        if (index == ClassCursor::noSample) {
            row << QStringLiteral("*");
            continue;
        }
        const float value = data->getDataY(index);
        row << valueText(value, data->Resolution);
        // Readings are shown with decimals when any channel has them.
        resolution = std::min<int>(resolution, data->Resolution);
        const int status = valueStatus(value);
        if (status < 3) {
            minimum = std::min(minimum, value);
            maximum = std::max(maximum, value);
        }
        if (status == 0) {
            sum += value;
            ++normal;
        }
    }
    double peakToPeak = double(maximum) - minimum;
    if (peakToPeak > 9999.0 || peakToPeak < -9999.0 || minimum == statisticsMinStart ||
        maximum == statisticsMaxStart)
        peakToPeak = errorCode;
    if (minimum == statisticsMinStart)
        minimum = errorCode;
    if (maximum == statisticsMaxStart)
        maximum = errorCode;
    row << valueText(minimum, resolution) << valueText(maximum, resolution);
    row << (normal > 0 ? valueText(sum / normal, resolution) : QStringLiteral("-"));
    row << (peakToPeak == errorCode ? QStringLiteral("-") : valueText(peakToPeak, resolution));
    return row;
}

QStringList GraphPlot::statisRow(int ch) const
{
    const qint32 start = std::min(getCursorATime(), getCursorBTime());
    const qint32 end = std::max(getCursorATime(), getCursorBTime());
    const ClassData *data = channel(ch);
    if (!data || !traces[ch].waveEnabled || data->LastNo < 0 || data->getDataX(0) > end)
        return QStringList(6, QString());
    const qint32 *times = data->elapsedArray();
    const qint32 *last = times + std::min<int>(data->LastNo, data->upperBound()) + 1;
    const qint64 count = std::upper_bound(times, last, end) - std::lower_bound(times, last, start);
    // Between two samples the span statistics would summarise a neighbour outside it.
    if (count == 0)
        return {QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                QStringLiteral("-"), QStringLiteral("0"), spanText(qint64(end) - start)};
    SpanStatistics stats;
    // The span statistics also rerun the set's comparator, which changes nothing shown here.
    const_cast<ClassData *>(data)->calcStatisSub(qint16(ch), start, end, stats);
    const int resolution = data->Resolution;
    return {valueText(stats.minimum, resolution),
            valueText(stats.maximum, resolution),
            stats.average == overRangeCode ? QStringLiteral("-")
                                           : valueText(stats.average, resolution),
            stats.peakToPeak == errorCode ? QStringLiteral("-")
                                          : valueText(stats.peakToPeak, resolution),
            QString::number(count),
            spanText(qint64(end) - start)};
}

void GraphPlot::centreOnChannel(int ch)
{
    if (!channel(ch))
        return;
    float low = 0.0f;
    float high = 0.0f;
    calcChDataRange(ch, low, high);
    const float top = infYAxis(0);
    setWave(keepTime, (low + high) / 2.0f - (top - yBottom) / 2.0f, keepTime, keepTemp);
}

void GraphPlot::setupCursorScroll()
{
    for (int k = 0; k < 2; ++k) {
        cursorScroll[k].visible = true;
        cursorScroll[k].max = std::max(m_width, 1);
        cursorScroll[k].smallChange = 1;
        cursorScroll[k].largeChange = std::max(m_width / 10, 1);
        cursorScroll[k].value = cursorScrollValue(k);
        m_cursorLastValue[k] = cursorScroll[k].value;
    }
    notifyScroll();
}

int GraphPlot::cursorScrollValue(int k) const
{
    const int max = cursorScroll[k].max;
    const double x = cursors[k].column();
    if (x < 0)
        return 0;
    return int(std::clamp<qint64>(roundEven(x / std::max(m_width, 1) * max), 0, max));
}

qint32 GraphPlot::cursorScrollTime(int k, int value) const
{
    const int max = std::max(cursorScroll[k].max, 1);
    value = std::clamp(value, 0, max);
    return qint32(roundEven(timeOrigin + m_width / double(timeScale) * value / max));
}

void GraphPlot::HScrollCursor_Change(int k, int value)
{
    if (!graphEventsOn || k < 0 || k > 1)
        return;
    select.setVisible(false);
    ClassCursor &cursor = cursors[k];
    qint32 t = cursorScrollTime(k, value);
    // An arrow click moves less than a pixel's worth of value: step one second instead.
    if (std::abs(value - m_cursorLastValue[k]) < 2 && value != m_cursorLastValue[k]) {
        t = cursor.Time() + (value > m_cursorLastValue[k] ? 1 : -1);
        t = std::clamp(t, 0, std::max(timeMax, 0));
    }
    cursor.moveCursor(t, 0);
    setupCursorScroll();
    m_listener->cursorTablesChanged(true);
}

void GraphPlot::HScrollCursor_Scroll(int k, int value)
{
    if (!graphEventsOn || k < 0 || k > 1)
        return;
    select.setVisible(false);
    cursors[k].moveCursor(cursorScrollTime(k, value), 1);
    m_cursorLastValue[k] = value;
    m_listener->cursorTablesChanged(false);
}

void GraphPlot::gamen_MouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    select.setVisible(false);
    select.setWidth(0);
    select.setHeight(0);
    select.DragStart = true;
    select.Left = qint16(x);
    select.Top = qint16(y);
}

bool GraphPlot::gamen_MouseMove(Qt::MouseButtons buttons, int x, int y)
{
    if (!(buttons & Qt::LeftButton)) {
        m_dragTarget = 0;
        for (int k = 0; k < 2 && m_dragTarget == 0; ++k) {
            if (std::abs(x - cursors[k].column()) < grabDistance)
                m_dragTarget = k + 1;
        }
        return m_dragTarget != 0;
    }
    if (m_dragTarget != 0) {
        cursors[m_dragTarget - 1].moveCursor(infTimeAxis(x), 1);
        m_listener->cursorTablesChanged(false);
        return true;
    }
    if (select.DragStart) {
        const int w = x - select.Left;
        const int h = y - select.Top;
        if (w != 0 || h != 0) {
            select.setWidth(std::max(w, 0));
            select.setHeight(std::max(h, 0));
            select.setVisible(true);
        }
    }
    return false;
}

void GraphPlot::gamen_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    select.DragStart = false;
    if (m_dragTarget != 0)
        setupCursorScroll();
    m_listener->cursorTablesChanged(true);
}

void GraphPlot::zoomSelectedArea()
{
    if (!select.Visible())
        return;
    const qint32 t0 = infTimeAxis(select.Left);
    const float bottom = infYAxis(select.Top + select.Height());
    const qint32 timeSpan = qint32(roundEven(select.Width() / double(timeScale)));
    const float tempSpan = float(select.Height() / double(yScale));
    // The area becomes the whole plot; the rectangle has done its work.
    select.setVisible(false);
    setWave(t0, bottom, timeSpan, tempSpan);
}

void GraphPlot::displayABRange()
{
    const qint32 start = std::min(getCursorATime(), getCursorBTime());
    const qint32 span = std::abs(getCursorATime() - getCursorBTime());
    setWave(start, keepTemp, span, keepTemp);
}

void GraphPlot::drawOverlays(QPainter &painter, const QPoint &plot) const
{
    painter.save();
    painter.setClipRect(QRect(plot, QSize(m_width, m_height)));
    for (const ClassCursor &cursor : cursors) {
        const int x = plot.x() + cursor.column();
        painter.setPen(QPen(QColor::fromRgb(cursor.Color()), 0));
        painter.drawLine(x, plot.y() + 1, x, plot.y() + m_height - 1);
    }
    if (select.Visible()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(select.rect().translated(plot).adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

QImage GraphPlot::composedImage() const
{
    QImage composed = m_image.copy();
    QPainter painter(&composed);
    drawOverlays(painter, QPoint(0, 0));
    return composed;
}
