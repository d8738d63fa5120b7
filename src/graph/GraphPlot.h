#pragma once

#include "ClassCursor.h"
#include "ClassGraph.h"
#include "ClassSelect.h"
#include "GraphMath.h"

#include <QImage>
#include <QString>
#include <QVector>

#include <functional>

class ClassData;
class QPainter;

// What the graph window hears from the plot: which pixels of the plot image changed and
// which other parts of the window must follow. The base ignores everything.
class GraphListener
{
public:
    virtual ~GraphListener() = default;
    virtual void plotChanged(const QRect &pixels) { Q_UNUSED(pixels) }
    virtual void timeLabelsChanged() {}
    virtual void yLabelsChanged() {}
    // Range or value of a scroll bar; the window applies them with graphEventsOn off.
    virtual void scrollBarsChanged() {}
    // Check marks of the span and zoom items, the unit toggle, the grid.
    virtual void menuChecksChanged() {}
    // Trace colours and visibility, the time maximum and the unit.
    virtual void legendChanged() {}
    // What is drawn over the picture moved: a cursor line or the selection rectangle.
    virtual void overlayChanged() {}
    // The cursor readings, and with `statistics` the A-B statistics too, are to be refilled.
    virtual void cursorTablesChanged(bool statistics) { Q_UNUSED(statistics) }
    // The selection rectangle appeared or went: "Zoom Selected Area" follows it.
    virtual void setMulSelectMenu(bool enabled) { Q_UNUSED(enabled) }
};

// A label of an axis: its position along the axis in plot pixels, and its text.
struct AxisLabel {
    int position = 0;
    QString text;
};

// The graph: the view onto the channels (origin, bottom, scales and zooms), the operations of
// its menus and scroll bars, and the plot picture. The picture is kept in an image; scrolling
// moves it and draws only the uncovered strip, a new sample draws only the new segment.
class GraphPlot
{
public:
    // drawData modes
    enum DrawMode { Redraw = 0, Scroll = 1, Append = 2 };
    static constexpr qint32 keepTime = -999;
    static constexpr float keepTemp = -999.0f;

    GraphPlot();

    void setListener(GraphListener *listener);
    // Where the channels come from (the eight channel slots by default); nullptr is an
    // absent channel.
    void setChannelSource(std::function<const ClassData *(int ch)> source);
    const ClassData *channel(int ch) const;
    // The channel a running measurement appends to; -1 when none.
    void setMeasuringChannel(int ch) { m_measuringCh = ch; }

    // The plot's inner size in pixels; a change re-creates the picture and redraws it.
    void resize(int width, int height);
    int plotWidth() const { return m_width; }
    int plotHeight() const { return m_height; }
    const QImage &image() const { return m_image; }

    // View state
    qint32 timeOrigin = 0;
    float yBottom = -100.0f;
    float timeBaseScale = 1.0f;
    float timeZoom = 1.0f;
    float timeScale = 1.0f;
    float yBaseScale = 1.0f;
    float yZoom = 1.0f;
    float yScale = 1.0f;
    qint16 timeZoomIndex = 0;
    qint16 yZoomIndex = 0;
    qint32 timeMax = 60;
    float yLowLimit = -100.0f;
    float yHighLimit = 600.0f;
    qint32 viewStart = 0;
    qint32 viewEnd = 0;
    float rangeLow = 0.0f;
    float rangeHigh = 0.0f;
    qint16 cursorTimeCh = 0;
    bool gridOn = true;
    qint16 tempUnit = 0;
    // Scroll-bar and drawing handlers do nothing while this is off.
    bool graphEventsOn = false;
    // Checked item of the time and temperature span menus; -1 when the scale is no menu value.
    int timeSpanChecked = -1;
    int ySpanChecked = -1;

    ScrollBarState hScroll;
    ScrollBarState vScroll;

    ClassGraph traces[8];
    // Cursor A (red) and cursor B (blue).
    ClassCursor cursors[2] = {ClassCursor(*this), ClassCursor(*this)};
    ClassSelect select;
    // The cursor scroll bars span the visible plot: value = column / width * max.
    ScrollBarState cursorScroll[2];

    // The steps of loading the window that concern the view; leaves graphEventsOn off.
    void Form_Load();

    // Mapping
    qint32 fTimeAxis(qint32 t) const;
    qint32 infTimeAxis(int x) const;
    qint16 fYAxis(float y) const;
    float infYAxis(int py) const;
    qint32 fTimeAxisPrim(qint32 origin, qint32 t) const;
    qint32 infTimeAxisPrim(qint32 origin, int x) const;
    qint16 fYAxisPrim(float bottom, float y) const;
    float infYAxisPrim(float bottom, int py) const;

    // View operations
    void moveWave0(qint32 t, float y);
    void moveWave(qint32 t, float y);
    void setWave(qint32 t, float y, qint32 timeSpan, float ySpan);
    void setWave2(qint32 t, float y, float newTimeBaseScale, qint16 newTimeZoomIndex,
                  float newYBaseScale, qint16 newYZoomIndex);
    void applyScale(qint32 t, float y);
    // The newest sample of the measured channel lies at `t` seconds: follow it.
    void Refresh2(qint32 t);
    void checkYDispRange();
    void initGraphCh(int ch);
    void refreshLegend();
    void calcTimeMax();
    void initTempUnit();
    QRgb getWaveColor(int ch) const;
    void setWaveColor(int ch, QRgb colour);
    bool getWaveEnabled(int ch) const;
    void setWaveEnabled(int ch, bool on);
    static QRgb defaultColor(int ch);

    // Menus
    void MenuGraphTimeItem_Click(int item);
    void MenuGraphYItem_Click(int item);
    void MenuMulTimeItem_Click(int index);
    void MenuMulYItem_Click(int index);
    void MenuGraphGrid_Click();
    void setTimeZoom(int index);
    void setYZoom(int index);
    void roundTimeScale();
    void setYSpan(float span);
    void fitTime();
    void fitY();
    // Lowest and highest value of the shown channels over viewStart..viewEnd, within limits.
    void calcDataRange(float &low, float &high);
    void calcChDataRange(int ch, float &low, float &high);
    // The bottom that centres rangeLow..rangeHigh at the current temperature scale.
    float centreBottom() const;
    void autoRangeY();
    void autoRangeTime();
    void autoRange();

    // Zoom-back ring and stored scales
    ScaleRecord currentScale() const;
    void pushScale();
    void zoomBack();
    // Stores the current scale in the next of five slots and returns its slot.
    int addMemScale();
    void restoreMemScale(int slot);
    int memScaleCount() const { return m_memCount; }

    // Scroll bars
    void setupTimeScroll();
    void setTimeScrollValue(qint32 t);
    qint32 timeScrollValue() const;
    qint32 getHscrollValueMove(int mode, bool backwards);
    void scrollTimeTo(qint32 t);
    void setupYScroll();
    void setYScrollValue(float y);
    float yScrollValue() const;
    float getVscrollValueMove(int mode);
    // The user moved a bar to `value`: Change is a click or the end of a drag, Scroll a drag.
    void HScrollGraph_Change(int value);
    void HScrollGraph_Scroll(int value);
    void VScrollGraph_Change(int value);
    void VScrollGraph_Scroll(int value);

    // Cursors and the A-B statistics
    qint32 getCursorATime() const { return cursors[0].Time(); }
    qint32 getCursorBTime() const { return cursors[1].Time(); }
    // A cursor's line moved: the overlay and the cursor readings follow.
    void cursorMoved();
    // The cursor readings of cursor k: days, time, CH1..CH8, Min, Max, Ave, P-P.
    QStringList cursorRow(int k) const;
    // The statistics of channel ch between the cursors: Min, Max, Ave, P-P, the number of
    // samples and the time from A to B; all empty for a channel without samples up to the
    // later cursor.
    QStringList statisRow(int ch) const;
    // Days and time texts of an elapsed time, as cursorTimeCh shows them.
    QStringList cursorTimeTexts(qint32 elapsed) const;
    // The temperature axis centred on channel ch's data in view, the scale kept.
    void centreOnChannel(int ch);
    void setupCursorScroll();
    int cursorScrollValue(int k) const;
    qint32 cursorScrollTime(int k, int value) const;
    // A cursor bar moved: Change is a click or the end of a drag, Scroll a drag.
    void HScrollCursor_Change(int k, int value);
    void HScrollCursor_Scroll(int k, int value);

    // Pointer on the plot, in plot pixels. The move answers whether the pointer is over a
    // cursor line (the window shows the resize arrow).
    void gamen_MouseDown(Qt::MouseButton button, int x, int y);
    bool gamen_MouseMove(Qt::MouseButtons buttons, int x, int y);
    void gamen_MouseUp(Qt::MouseButton button);
    // 0 none, 1 cursor A, 2 cursor B.
    int dragTarget() const { return m_dragTarget; }
    void zoomSelectedArea();
    void displayABRange();
    // Cursors and the selection rectangle over a picture whose plot corner is at `plot`.
    void drawOverlays(QPainter &painter, const QPoint &plot) const;
    // The picture with the overlays, as the window shows it.
    QImage composedImage() const;

    // Drawing
    void drawData(qint32 t, int mode);
    // Clears the picture and redraws everything, labels included (a paint request).
    void refreshPlot();
    // The whole current view (white background, grid, shown traces) into any target of the
    // given size: the clipboard picture and the print-out use it.
    void drawDataClip(QPainter &painter, int width, int height);
    void drawGrid(QPainter &painter, qint32 t0, qint32 t1, qint32 origin, int left, int right);
    // Labels of the grid lines of the current view; texts follow cursorTimeCh and the unit.
    QVector<AxisLabel> timeLabels() const;
    // The same at a time step of `step` seconds (a value of the grid ladder).
    QVector<AxisLabel> timeLabels(qint64 step) const;
    QVector<AxisLabel> yLabels() const;
    QString yUnitCaption() const;
    // Draws the labels beside a plot whose top left corner is at `plot` in `painter`.
    void drawTimeLabels(QPainter &painter, const QPoint &plot) const;
    void drawYLabels(QPainter &painter, const QPoint &plot) const;

private:
    void notifyScroll();
    // Restores a stored scale without recording it for Zoom Back.
    void restoreScale(const ScaleRecord &record);
    // The time whose pixel column is nearest to t, so that the picture moves by whole pixels.
    qint32 snapToPixel(qint32 t) const;
    // Widens low..high by channel ch's extremes over viewStart..viewEnd; false when it has
    // no valid sample there.
    bool channelRange(int ch, float &low, float &high);
    // Puts low and high in order and within the temperature limits.
    void limitRange(float &low, float &high) const;
    PlotFrame frame(qint32 origin, int left, int right) const;
    // Seconds since midnight of the start of the channel named by cursorTimeCh, or 0.
    qint64 clockShift() const;
    // Draws grid and traces (only `onlyCh` when >= 0) for t0..t1 over columns left..right.
    QRect drawStrip(QPainter &painter, qint32 t0, qint32 t1, qint32 origin, int left, int right,
                    int onlyCh, const QSize &size);
    void shiftImage(int dx);

    GraphListener m_noListener;
    GraphListener *m_listener = &m_noListener;
    std::function<const ClassData *(int)> m_source;
    int m_measuringCh = -1;

    int m_width = 0;
    int m_height = 0;
    QImage m_image;
    // The view of the last complete drawing: a scroll reuses the picture only under it.
    qint32 m_lastOrigin = 0;
    double m_lastTimeScale = 0.0;
    double m_lastYScale = 0.0;
    float m_lastBottom = 0.0f;
    bool m_lastGridOn = true;
    qint16 m_lastCursorTimeCh = 0;
    double m_scrollRemainder = 0.0;
    // Whole pixels the picture has moved, so that dotted lines continue across strips.
    qint64 m_pixelPhase = 0;
    // Newest time an append has drawn up to.
    qint32 m_appendFrom = 0;

    ScaleRecord m_ring[5];
    qint16 m_ringIndex = 0;
    ScaleRecord m_memScales[5];
    qint16 m_memNext = 0;
    qint16 m_memCount = 0;

    int m_dragTarget = 0;
    int m_cursorLastValue[2] = {0, 0};

    qint32 m_hPrevResult = 0;
    int m_hPrevValue = 0;
    int m_hLastChangeValue = 0;
    float m_vPrevResult = 0.0f;
    int m_vPrevValue = 0;
};
