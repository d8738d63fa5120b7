#include "GraphPlot.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "Settings.h"
#include "Strings.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const QColor gridColor(160, 160, 160);
// Grid lines more than this many apart are not a grid any more but a bug; draw none.
constexpr qint64 maxGridLines = 2000;
} // namespace

GraphPlot::GraphPlot()
{
    m_source = [](int ch) -> const ClassData * {
        return ch >= 0 && ch < 8 ? channelData[ch].get() : nullptr;
    };
    for (int ch = 0; ch < 8; ++ch)
        traces[ch].setChNo(ch);
    select.changed = [this] {
        m_listener->setMulSelectMenu(select.Visible());
        m_listener->overlayChanged();
    };
}

void GraphPlot::setListener(GraphListener *listener)
{
    m_listener = listener ? listener : &m_noListener;
}

void GraphPlot::setChannelSource(std::function<const ClassData *(int)> source)
{
    m_source = std::move(source);
}

const ClassData *GraphPlot::channel(int ch) const
{
    return ch >= 0 && ch < 8 ? m_source(ch) : nullptr;
}

void GraphPlot::resize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    m_image = QImage(width, height, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    setupTimeScroll();
    setupYScroll();
    refreshPlot();
}

void GraphPlot::Form_Load()
{
    graphEventsOn = false;
    initTempUnit();
    gridOn = true;
    cursors[0].init();
    cursors[0].setColor(qRgb(255, 0, 0));
    cursors[1].init();
    cursors[1].setColor(qRgb(0, 0, 255));
    for (int ch = 0; ch < 8; ++ch) {
        traces[ch].waveColor = 0;
        traces[ch].setChNo(ch);
        traces[ch].setLastDataNo(31999);
        traces[ch].waveEnabled = false;
    }
    timeBaseScale = 1.0f;
    setTimeZoom(0);
    timeOrigin = 0;
    yBaseScale = 1.0f;
    setYZoom(0);
    yBottom = yLowLimit;
    pushScale();
    pushScale();
    refreshLegend();
    setupYScroll();
}

// Mapping

qint32 GraphPlot::fTimeAxis(qint32 t) const
{
    return fTimeAxisPrim(timeOrigin, t);
}

qint32 GraphPlot::infTimeAxis(int x) const
{
    return infTimeAxisPrim(timeOrigin, x);
}

qint16 GraphPlot::fYAxis(float y) const
{
    return fYAxisPrim(yBottom, y);
}

float GraphPlot::infYAxis(int py) const
{
    return infYAxisPrim(yBottom, py);
}

qint32 GraphPlot::fTimeAxisPrim(qint32 origin, qint32 t) const
{
    return ::fTimeAxisPrim(origin, t, timeScale);
}

qint32 GraphPlot::infTimeAxisPrim(qint32 origin, int x) const
{
    return ::infTimeAxisPrim(origin, x, timeScale);
}

qint16 GraphPlot::fYAxisPrim(float bottom, float y) const
{
    return ::fYAxisPrim(bottom, y, yScale, m_height);
}

float GraphPlot::infYAxisPrim(float bottom, int py) const
{
    return ::infYAxisPrim(bottom, py, yScale, m_height);
}

// View operations

void GraphPlot::moveWave0(qint32 t, float y)
{
    if (t == keepTime)
        t = timeOrigin;
    if (y == keepTemp)
        y = yBottom;
    timeOrigin = std::clamp(t, 0, std::max(timeMax, 0));
    yBottom = std::clamp(y, yLowLimit, yHighLimit);
    m_listener->yLabelsChanged();
    setTimeScrollValue(timeOrigin);
    setYScrollValue(yBottom);
}

void GraphPlot::moveWave(qint32 t, float y)
{
    moveWave0(t, y);
    drawData(timeOrigin, Scroll);
}

void GraphPlot::setWave(qint32 t, float y, qint32 timeSpan, float ySpan)
{
    if (timeSpan != keepTime) {
        timeSpan = std::max(timeSpan, 2);
        timeBaseScale = float(double(m_width) / timeSpan);
        setTimeZoom(0);
        timeScale = timeZoom * timeBaseScale;
        roundTimeScale();
    }
    if (ySpan != keepTemp) {
        ySpan = std::max(ySpan, 0.5f);
        setYSpan(ySpan);
        setYZoom(0);
        yScale = yZoom * yBaseScale;
    }
    applyScale(t, y);
    pushScale();
}

void GraphPlot::setWave2(qint32 t, float y, float newTimeBaseScale, qint16 newTimeZoomIndex,
                         float newYBaseScale, qint16 newYZoomIndex)
{
    timeBaseScale = newTimeBaseScale;
    yBaseScale = newYBaseScale;
    setTimeZoom(newTimeZoomIndex);
    setYZoom(newYZoomIndex);
    timeScale = timeZoom * timeBaseScale;
    yScale = yZoom * yBaseScale;
    applyScale(t, y);
}

void GraphPlot::applyScale(qint32 t, float y)
{
    setupTimeScroll();
    setupYScroll();
    if (t == keepTime)
        t = timeOrigin;
    if (y == keepTemp)
        y = yBottom;
    moveWave0(t, y);
    refreshPlot();
    timeSpanChecked = -1;
    ySpanChecked = -1;
    m_listener->menuChecksChanged();
}

void GraphPlot::Refresh2(qint32 t)
{
    // The newest sample stands on the plot's last column, the right end of viewEnd. After a
    // scroll the new segment still reaches back into the kept picture, which never held it:
    // the append draws it whole.
    if (double(timeScale) * t >= m_width)
        drawData(std::max(0, t - qint32((m_width - 1) / double(timeScale))), Scroll);
    drawData(t, Append);
    calcTimeMax();
    // A new sample can stand on a cursor, or between the cursors.
    for (ClassCursor &cursor : cursors)
        cursor.refreshCursorData();
    m_listener->cursorTablesChanged(t <= std::max(getCursorATime(), getCursorBTime()));
}

void GraphPlot::checkYDispRange()
{
    rangeLow = infYAxis(m_height);
    rangeHigh = infYAxis(0);
}

void GraphPlot::initGraphCh(int ch)
{
    if (ch < 0 || ch > 7)
        return;
    if (channel(ch)) {
        if (!traces[ch].waveEnabled) {
            traces[ch].waveEnabled = true;
            traces[ch].waveColor = defaultColor(ch);
        }
    } else {
        traces[ch].waveEnabled = false;
        traces[ch].waveColor = 0;
    }
    refreshLegend();
}

void GraphPlot::refreshLegend()
{
    calcTimeMax();
    initTempUnit();
    m_listener->legendChanged();
    for (ClassCursor &cursor : cursors)
        cursor.refreshCursorData();
    m_listener->cursorTablesChanged(true);
}

void GraphPlot::calcTimeMax()
{
    qint32 largest = 0;
    for (int ch = 0; ch < 8; ++ch) {
        const ClassData *data = channel(ch);
        if (data && traces[ch].waveEnabled && data->LastNo >= 0)
            largest = std::max(largest, data->getDataX(data->LastNo));
    }
    timeMax = largest > 0 ? largest : 60;
    setupTimeScroll();
}

void GraphPlot::initTempUnit()
{
    qint16 unit = MeasSetting.Unit;
    for (int ch = 0; ch < 8; ++ch) {
        if (const ClassData *data = channel(ch); data && traces[ch].waveEnabled) {
            unit = data->Unit;
            break;
        }
    }
    tempUnit = unit;
    yLowLimit = -100.0f;
    yHighLimit = unit == 0 ? 600.0f : 1000.0f;
    m_listener->menuChecksChanged();
}

QRgb GraphPlot::getWaveColor(int ch) const
{
    return ch >= 0 && ch < 8 ? traces[ch].waveColor : 0;
}

void GraphPlot::setWaveColor(int ch, QRgb colour)
{
    if (ch >= 0 && ch < 8)
        traces[ch].waveColor = colour;
}

bool GraphPlot::getWaveEnabled(int ch) const
{
    return ch >= 0 && ch < 8 && traces[ch].waveEnabled;
}

void GraphPlot::setWaveEnabled(int ch, bool on)
{
    if (ch >= 0 && ch < 8)
        traces[ch].waveEnabled = on;
}

QRgb GraphPlot::defaultColor(int ch)
{
    static const QRgb colours[8] = {qRgb(0, 0, 0),     qRgb(0, 0, 255),    qRgb(255, 0, 0),
                                    qRgb(0, 255, 0),   qRgb(255, 128, 0),  qRgb(0, 128, 0),
                                    qRgb(128, 0, 128), qRgb(128, 128, 128)};
    return ch >= 0 && ch < 8 ? colours[ch] : qRgb(0, 0, 0);
}

// Menus

void GraphPlot::MenuGraphTimeItem_Click(int item)
{
    timeSpanChecked = item >= 0 && item < timeSpanItems ? item : -1;
    timeBaseScale = float(60.0 / timeSpanSeconds(item));
    setTimeZoom(0);
    timeScale = timeZoom * timeBaseScale;
    roundTimeScale();
    pushScale();
    setupTimeScroll();
    refreshPlot();
    m_listener->menuChecksChanged();
}

void GraphPlot::MenuGraphYItem_Click(int item)
{
    if (item == 9) {
        tempUnit = tempUnit == 0 ? 1 : 0;
        refreshPlot();
        m_listener->menuChecksChanged();
        return;
    }
    if (item < 0 || item >= tempSpanItems)
        return;
    yBaseScale = 60.0f / tempSpanDegrees(item);
    setYZoom(0);
    yScale = yZoom * yBaseScale;
    setupYScroll();
    refreshPlot();
    ySpanChecked = item;
    m_listener->menuChecksChanged();
    pushScale();
}

void GraphPlot::MenuMulTimeItem_Click(int index)
{
    setTimeZoom(index);
    roundTimeScale();
    pushScale();
    setupTimeScroll();
    refreshPlot();
}

void GraphPlot::MenuMulYItem_Click(int index)
{
    setYZoom(index);
    pushScale();
    setupYScroll();
    refreshPlot();
}

void GraphPlot::MenuGraphGrid_Click()
{
    gridOn = !gridOn;
    m_listener->menuChecksChanged();
    refreshPlot();
}

void GraphPlot::setTimeZoom(int index)
{
    index = qBound(0, index, 3);
    timeZoom = zoomFactor(index);
    timeZoomIndex = qint16(index);
    timeScale = timeZoom * timeBaseScale;
    m_listener->menuChecksChanged();
}

void GraphPlot::setYZoom(int index)
{
    index = qBound(0, index, 3);
    yZoom = zoomFactor(index);
    yZoomIndex = qint16(index);
    yScale = yZoom * yBaseScale;
    m_listener->menuChecksChanged();
}

void GraphPlot::roundTimeScale()
{
    if (timeScale >= 1.0f) {
        timeScale = std::floor(timeScale);
        timeBaseScale = timeScale / timeZoom;
    }
    if (timeScale > 60.0f)
        timeScale = 60.0f;
}

void GraphPlot::setYSpan(float span)
{
    span = std::max(span, 0.1f);
    yBaseScale = float(m_height / double(span));
    if (yBaseScale > 600.0f)
        yBaseScale = 600.0f;
    ySpanChecked = -1;
}

void GraphPlot::fitTime()
{
    if (timeMax < 1)
        return;
    timeBaseScale = float(double(m_width - 1) / timeMax);
    setTimeZoom(0);
    timeScale = timeZoom * timeBaseScale;
    roundTimeScale();
    timeSpanChecked = -1;
    setupTimeScroll();
    viewStart = 0;
    viewEnd = timeMax;
}

bool GraphPlot::channelRange(int ch, float &low, float &high)
{
    const ClassData *data = channel(ch);
    if (!data || data->LastNo < 0)
        return false;
    SpanStatistics stats;
    // The span statistics also rerun the set's comparator, which changes nothing drawn.
    const_cast<ClassData *>(data)->calcStatisSub(qint16(ch), viewStart, viewEnd, stats);
    // A span without a valid sample reports the error code as its extremes: no range at all.
    if (stats.minimum == errorCode)
        return false;
    low = std::min(low, stats.minimum);
    high = std::max(high, stats.maximum);
    return true;
}

void GraphPlot::limitRange(float &low, float &high) const
{
    if (low > high)
        std::swap(low, high);
    low = std::max(low, yLowLimit);
    high = std::min(high, yHighLimit);
}

void GraphPlot::calcChDataRange(int ch, float &low, float &high)
{
    low = 999999.0f;
    high = -999999.0f;
    channelRange(ch, low, high);
    limitRange(low, high);
}

void GraphPlot::calcDataRange(float &low, float &high)
{
    low = 999999.0f;
    high = -999999.0f;
    for (int ch = 0; ch < 8; ++ch) {
        if (traces[ch].waveEnabled)
            channelRange(ch, low, high);
    }
    limitRange(low, high);
}

void GraphPlot::fitY()
{
    float low = 0.0f;
    float high = 0.0f;
    calcDataRange(low, high);
    rangeLow = low;
    rangeHigh = high;
    setYSpan((high - low) * 1.2f);
    setYZoom(0);
    yScale = yZoom * yBaseScale;
    setupYScroll();
}

float GraphPlot::centreBottom() const
{
    const float top = infYAxis(0);
    return (rangeHigh + rangeLow) / 2.0f - (top - yBottom) / 2.0f;
}

void GraphPlot::autoRangeY()
{
    fitY();
    moveWave(keepTime, centreBottom());
}

void GraphPlot::autoRangeTime()
{
    fitTime();
    moveWave(viewStart, keepTemp);
}

void GraphPlot::autoRange()
{
    fitTime();
    fitY();
    moveWave(viewStart, centreBottom());
    pushScale();
}

// Zoom-back ring and stored scales

ScaleRecord GraphPlot::currentScale() const
{
    ScaleRecord record;
    record.timeOrigin = timeOrigin;
    record.yBottom = yBottom;
    record.timeBaseScale = timeBaseScale;
    record.yBaseScale = yBaseScale;
    record.timeZoomIndex = timeZoomIndex;
    record.yZoomIndex = yZoomIndex;
    return record;
}

void GraphPlot::restoreScale(const ScaleRecord &r)
{
    setWave2(r.timeOrigin, r.yBottom, r.timeBaseScale, r.timeZoomIndex, r.yBaseScale, r.yZoomIndex);
}

void GraphPlot::pushScale()
{
    m_ring[m_ringIndex] = currentScale();
    if (++m_ringIndex > 1)
        m_ringIndex = 0;
}

void GraphPlot::zoomBack()
{
    if (--m_ringIndex < 0)
        m_ringIndex = 1;
    int slot = m_ringIndex - 1;
    if (slot < 0)
        slot = 1;
    restoreScale(m_ring[slot]);
}

int GraphPlot::addMemScale()
{
    const int slot = m_memNext;
    m_memScales[slot] = currentScale();
    m_memNext = qint16((slot + 1) % 5);
    ++m_memCount;
    return slot;
}

void GraphPlot::restoreMemScale(int slot)
{
    if (slot < 0 || slot > 4)
        return;
    restoreScale(m_memScales[slot]);
}

// Scroll bars

void GraphPlot::notifyScroll()
{
    m_listener->scrollBarsChanged();
}

void GraphPlot::setupTimeScroll()
{
    if (timeMax <= 0)
        return;
    hScroll = timeScrollRange(timeScale, m_width, timeMax);
    hScroll.value = timeScrollValueFor(hScroll, timeMax, timeOrigin);
    notifyScroll();
}

void GraphPlot::setTimeScrollValue(qint32 t)
{
    if (!hScroll.visible || timeMax == 0)
        return;
    hScroll.value = timeScrollValueFor(hScroll, timeMax, t);
    notifyScroll();
}

qint32 GraphPlot::timeScrollValue() const
{
    return timeForScrollValue(hScroll, timeMax, hScroll.value);
}

qint32 GraphPlot::getHscrollValueMove(int mode, bool backwards)
{
    qint32 t = timeScrollValue();
    if (mode == 1) {
        const qint32 step = timeScrollStep(timeScale);
        if (std::abs(m_hPrevResult - t) < step) {
            t = backwards ? m_hPrevResult - step : m_hPrevResult + step;
            t = std::clamp(t, 0, std::max(timeMax, 0));
        }
        t = t / step * step;
    }
    if (hScroll.value == 0)
        t = 0;
    else if (hScroll.value == hScroll.max)
        t = timeMax;
    m_hPrevResult = t;
    m_hPrevValue = hScroll.value;
    return t;
}

void GraphPlot::scrollTimeTo(qint32 t)
{
    t = std::max(t, 0);
    if (t != timeOrigin)
        drawData(t, Scroll);
}

qint32 GraphPlot::snapToPixel(qint32 t) const
{
    if (t >= 1 && std::abs(double(t) - timeOrigin) * timeScale < 32000.0)
        t = infTimeAxis(fTimeAxis(t));
    return t < 1 ? 0 : t;
}

void GraphPlot::HScrollGraph_Change(int value)
{
    if (!graphEventsOn)
        return;
    hScroll.value = value;
    const bool backwards = value <= m_hLastChangeValue;
    qint32 t = getHscrollValueMove(1, backwards);
    setTimeScrollValue(t);
    m_hLastChangeValue = hScroll.value;
    scrollTimeTo(snapToPixel(t));
}

void GraphPlot::HScrollGraph_Scroll(int value)
{
    if (!graphEventsOn)
        return;
    hScroll.value = value;
    qint32 t = getHscrollValueMove(0, false);
    scrollTimeTo(snapToPixel(t));
}

void GraphPlot::setupYScroll()
{
    vScroll = tempScrollRange(yScale, m_height, yLowLimit, yHighLimit);
    if (!vScroll.visible)
        yBottom = yLowLimit;
    else
        vScroll.value =
            tempScrollValueFor(vScroll, yScale, m_height, yLowLimit, yHighLimit, yBottom);
    notifyScroll();
}

void GraphPlot::setYScrollValue(float y)
{
    if (!vScroll.visible)
        return;
    vScroll.value = tempScrollValueFor(vScroll, yScale, m_height, yLowLimit, yHighLimit, y);
    notifyScroll();
}

float GraphPlot::yScrollValue() const
{
    return tempForScrollValue(vScroll, yScale, m_height, yLowLimit, yHighLimit, vScroll.value);
}

float GraphPlot::getVscrollValueMove(int mode)
{
    float y = yScrollValue();
    if (mode == 1 && std::abs(m_vPrevResult - y) < 0.01f) {
        y = vScroll.value > m_vPrevValue ? m_vPrevResult - 0.01f : m_vPrevResult + 0.01f;
        y = std::clamp(y, yLowLimit, yHighLimit);
        setYScrollValue(y);
    }
    m_vPrevResult = y;
    m_vPrevValue = vScroll.value;
    return y;
}

void GraphPlot::VScrollGraph_Change(int value)
{
    if (!graphEventsOn)
        return;
    vScroll.value = value;
    yBottom = getVscrollValueMove(1);
    drawData(keepTime, Redraw);
    m_listener->yLabelsChanged();
}

void GraphPlot::VScrollGraph_Scroll(int value)
{
    if (!graphEventsOn)
        return;
    vScroll.value = value;
    yBottom = getVscrollValueMove(1);
    m_listener->yLabelsChanged();
}

// Drawing

PlotFrame GraphPlot::frame(qint32 origin, int left, int right) const
{
    PlotFrame f;
    f.origin = origin;
    f.bottom = yBottom;
    f.timeScale = timeScale;
    f.yScale = yScale;
    f.width = m_width;
    f.height = m_height;
    f.left = left;
    f.right = right;
    return f;
}

qint64 GraphPlot::clockShift() const
{
    if (cursorTimeCh < 1 || cursorTimeCh > 8)
        return 0;
    const ClassData *data = channel(cursorTimeCh - 1);
    if (!data)
        return 0;
    const double start = data->StartDateTime;
    return std::llround((start - std::floor(start)) * secondsPerDay) % 86400;
}

void GraphPlot::shiftImage(int dx)
{
    if (dx == 0)
        return;
    const int bytes = 4;
    const int keep = m_width - std::abs(dx);
    for (int y = 0; y < m_height; ++y) {
        uchar *line = m_image.scanLine(y);
        if (dx > 0)
            std::memmove(line + dx * bytes, line, size_t(keep) * bytes);
        else
            std::memmove(line, line - dx * bytes, size_t(keep) * bytes);
    }
}

void GraphPlot::drawData(qint32 t, int mode)
{
    if (!graphEventsOn || m_image.isNull())
        return;
    if (mode == Append) {
        // t is the newest sample here, not an origin: the view stays where it is.
        const int ch = m_measuringCh;
        const ClassData *data = channel(ch);
        if (!data || !traces[ch].waveEnabled)
            return;
        QPainter painter(&m_image);
        painter.setClipRect(0, 0, m_width, m_height);
        const QRect dirty = traces[ch].drawData(painter, *data, std::min(m_appendFrom, t), t,
                                                frame(timeOrigin, 0, m_width - 1));
        m_appendFrom = t;
        if (!dirty.isEmpty())
            m_listener->plotChanged(dirty & m_image.rect());
        return;
    }

    if (t == keepTime)
        t = timeOrigin;
    viewStart = t;
    viewEnd = qint32((m_width - 1) / double(timeScale)) + t;
    // A scroll reuses the picture only when nothing but the origin changed since it was drawn.
    const bool sameView = m_lastTimeScale == timeScale && m_lastYScale == yScale &&
                          m_lastBottom == yBottom && m_lastGridOn == gridOn &&
                          m_lastCursorTimeCh == cursorTimeCh;
    const double d = (double(t) - m_lastOrigin) * timeScale + m_scrollRemainder;
    const qint64 shift = qint64(d);
    int left = 0;
    int right = m_width - 1;
    qint32 t0 = t;
    qint32 t1 = viewEnd + 1;
    QPainter painter(&m_image);
    const bool moved = mode == Scroll && sameView && std::abs(shift) < m_width && shift != 0;
    if (mode == Scroll && sameView && std::abs(shift) < m_width) {
        m_scrollRemainder = d - double(shift);
        shiftImage(-int(shift));
        m_pixelPhase += shift;
        const int strip = int(std::abs(shift)) + 1;
        if (d >= 0.0)
            left = m_width - strip;
        else
            right = strip - 1;
        // Samples just left of the strip have dots reaching into it.
        t0 = qint32(std::floor((left - 3) / double(timeScale) + t));
        t1 = qint32(std::ceil((right + 1) / double(timeScale) + t));
    } else {
        m_scrollRemainder = 0.0;
    }
    const QRect strip(left, 0, right - left + 1, m_height);
    painter.fillRect(strip, Qt::white);
    timeOrigin = t;
    drawStrip(painter, t0, t1, t, left, right, -1, m_image.size());
    m_lastOrigin = t;
    m_lastTimeScale = timeScale;
    m_lastYScale = yScale;
    m_lastBottom = yBottom;
    m_lastGridOn = gridOn;
    m_lastCursorTimeCh = cursorTimeCh;
    painter.end();
    m_listener->plotChanged(moved ? m_image.rect() : strip);
    m_listener->timeLabelsChanged();
    // The cursor lines stand on times: a new origin or scale moves them on the plot.
    setupCursorScroll();
    m_listener->overlayChanged();
}

QRect GraphPlot::drawStrip(QPainter &painter, qint32 t0, qint32 t1, qint32 origin, int left,
                           int right, int onlyCh, const QSize &size)
{
    painter.setClipRect(left, 0, right - left + 1, size.height());
    if (onlyCh < 0)
        drawGrid(painter, t0, t1, origin, left, right);
    PlotFrame f = frame(origin, left, right);
    f.width = size.width();
    f.height = size.height();
    QRect dirty;
    for (int ch = 0; ch < 8; ++ch) {
        if (onlyCh >= 0 && ch != onlyCh)
            continue;
        const ClassData *data = channel(ch);
        if (data && traces[ch].waveEnabled)
            dirty |= traces[ch].drawData(painter, *data, t0, t1, f);
    }
    painter.setClipping(false);
    return dirty;
}

void GraphPlot::refreshPlot()
{
    drawData(keepTime, Redraw);
    m_listener->yLabelsChanged();
}

void GraphPlot::drawDataClip(QPainter &painter, int width, int height)
{
    painter.save();
    painter.fillRect(0, 0, width, height, Qt::white);
    const qint32 t1 = qint32((width - 1) / double(timeScale)) + timeOrigin + 1;
    const int savedWidth = m_width;
    const int savedHeight = m_height;
    const qint64 savedPhase = m_pixelPhase;
    // The grid and traces read the plot size; draw as if the plot had the target's size.
    m_width = width;
    m_height = height;
    m_pixelPhase = 0;
    drawStrip(painter, timeOrigin, t1, timeOrigin, 0, width - 1, -1, QSize(width, height));
    m_width = savedWidth;
    m_height = savedHeight;
    m_pixelPhase = savedPhase;
    painter.restore();
}

void GraphPlot::drawGrid(QPainter &painter, qint32 t0, qint32 t1, qint32 origin, int left,
                         int right)
{
    if (!gridOn || m_width <= 0 || m_height <= 0)
        return;
    // Dotted lines are set pixel by pixel: every other pixel counted from the picture's
    // accumulated scroll, so strips drawn later continue the dots of the kept picture.
    QVector<QPoint> dots;
    const int x0 = std::max(left, fTimeAxisPrim(origin, t0));
    const int x1 = std::min(right, fTimeAxisPrim(origin, t1));

    const double g = tempGridStep(60.0 / yScale);
    const qint64 kLow = firstGridIndex(yBottom, g);
    const qint64 kHigh = lastGridIndex(infYAxis(0), g);
    if (x1 >= x0 && kHigh - kLow < maxGridLines) {
        for (qint64 k = kLow; k <= kHigh; ++k) {
            const int y = fYAxis(float(k * g));
            if (y < 0 || y >= m_height)
                continue;
            for (int x = x0; x <= x1; ++x) {
                if (((x + m_pixelPhase) & 1) == 0)
                    dots.append(QPoint(x, y));
            }
        }
    }

    const qint64 s = timeGridStep(60.0 / timeScale);
    const qint64 shift = clockShift();
    const qint64 first = firstGridIndex(double(t0 + shift), double(s));
    const qint64 last = lastGridIndex(double(t1 + shift), double(s));
    if (last - first < maxGridLines) {
        for (qint64 k = first; k <= last; ++k) {
            const double x = (double(k * s) - double(origin + shift)) * timeScale;
            const int px = int(roundEven(x));
            if (px < left || px > right)
                continue;
            for (int y = 0; y < m_height; y += 2)
                dots.append(QPoint(px, y));
        }
    }
    painter.setPen(QPen(gridColor, 0));
    painter.drawPoints(dots.constData(), int(dots.size()));
}

QVector<AxisLabel> GraphPlot::timeLabels() const
{
    return timeLabels(timeGridStep(60.0 / timeScale));
}

QVector<AxisLabel> GraphPlot::timeLabels(qint64 s) const
{
    QVector<AxisLabel> labels;
    if (m_width <= 0 || s <= 0)
        return labels;
    const qint64 shift = clockShift();
    const qint64 end = qint64((m_width - 1) / double(timeScale)) + timeOrigin;
    const qint64 first = firstGridIndex(double(timeOrigin + shift), double(s));
    const qint64 last = lastGridIndex(double(end + shift), double(s));
    if (last - first >= maxGridLines)
        return labels;
    const ClassData *clock = cursorTimeCh > 0 ? channel(cursorTimeCh - 1) : nullptr;
    for (qint64 k = first; k <= last; ++k) {
        const qint64 e = k * s - shift;
        AxisLabel label;
        label.position = int(roundEven((double(e) - timeOrigin) * timeScale));
        if (clock) {
            label.text = timeText(clock->StartDateTime + double(e) / secondsPerDay);
        } else {
            const qint64 days = e / 86400;
            const qint64 rest = e - days * 86400;
            if (days > 0 && rest < 1)
                label.text = QString::number(days) + loadString(2212);
            else
                label.text = timeText(double(rest) / secondsPerDay);
        }
        labels.append(label);
    }
    return labels;
}

QVector<AxisLabel> GraphPlot::yLabels() const
{
    QVector<AxisLabel> labels;
    if (m_height <= 0)
        return labels;
    const double g = tempGridStep(60.0 / yScale);
    const qint64 kLow = firstGridIndex(yBottom, g);
    const qint64 kHigh = lastGridIndex(infYAxis(0), g);
    if (kHigh - kLow >= maxGridLines)
        return labels;
    const int decimals = g < 1.0 ? 1 : 0;
    for (qint64 k = kLow; k <= kHigh; ++k) {
        const double value = k * g;
        AxisLabel label;
        label.position = fYAxis(float(value));
        label.text = QString::number(std::abs(value) < 1e-9 ? 0.0 : value, 'f', decimals);
        labels.append(label);
    }
    return labels;
}

QString GraphPlot::yUnitCaption() const
{
    return QStringLiteral("[") + unitText(tempUnit) + QStringLiteral("]");
}

void GraphPlot::drawTimeLabels(QPainter &painter, const QPoint &plot) const
{
    const QFontMetrics metrics(painter.font());
    const int baseline = plot.y() + m_height + 4 + metrics.ascent();
    for (const AxisLabel &label : timeLabels()) {
        const int width = metrics.horizontalAdvance(label.text);
        painter.drawText(plot.x() + label.position - width / 2, baseline, label.text);
    }
}

void GraphPlot::drawYLabels(QPainter &painter, const QPoint &plot) const
{
    const QFontMetrics metrics(painter.font());
    const int centre = (metrics.ascent() - metrics.descent()) / 2;
    for (const AxisLabel &label : yLabels()) {
        const int width = metrics.horizontalAdvance(label.text);
        painter.drawText(plot.x() - 4 - width, plot.y() + label.position + centre, label.text);
    }
    painter.drawText(plot.x() - 4 - metrics.horizontalAdvance(yUnitCaption()),
                     plot.y() - 4 - metrics.descent(), yUnitCaption());
}
