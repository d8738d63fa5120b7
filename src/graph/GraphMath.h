#pragma once

#include <QtGlobal>

// The graph's arithmetic as plain functions: mapping between (elapsed seconds, temperature)
// and plot pixels, the grid step ladders, the span menus and the scroll bar ranges.
// Scales are in pixels per second (time) and pixels per degree (temperature); W and H are
// the plot's inner width and height in pixels.

// Rounds to the nearest integer, halves to even.
qint64 roundEven(double value);

// x = (t - origin) * timeScale, limited to -32000..32000, then rounded.
qint32 fTimeAxisPrim(qint32 origin, qint32 t, double timeScale);
// t = x / timeScale + origin, rounded.
qint32 infTimeAxisPrim(qint32 origin, int x, double timeScale);
// py = H - (y - bottom) * yScale - 1, rounded and limited to the 16-bit range.
qint16 fYAxisPrim(float bottom, float y, double yScale, int plotHeight);
// y = (H - py) / yScale + bottom.
float infYAxisPrim(float bottom, int py, double yScale, int plotHeight);

// Seconds per division of time span menu item 0..16; any other item gives 60.
qint32 timeSpanSeconds(int item);
constexpr int timeSpanItems = 17;
// Degrees per division of temperature span menu item 0..7; any other item gives 0.
float tempSpanDegrees(int item);
constexpr int tempSpanItems = 8;
// Zoom factor of zoom item 0..3 (100%..800%).
float zoomFactor(int index);

// Smallest ladder step (1 s .. 100 days) at least `secondsPer60px`; the last step beyond.
qint32 timeGridStep(double secondsPer60px);
// Smallest ladder step (0.1 .. 100 degrees) at least `degreesPer60px`; the last step beyond.
double tempGridStep(double degreesPer60px);
// Index of the first multiple of `step` at or above `value`, and of the last at or below it.
// Steps below 1 are counted in tenths so that 0.1 and 0.5 divide exactly.
qint64 firstGridIndex(double value, double step);
qint64 lastGridIndex(double value, double step);

// A scroll bar as the graph sets it up: range 0..max, page and arrow steps, value.
struct ScrollBarState {
    bool visible = false;
    int max = 0;
    int largeChange = 1;
    int smallChange = 1;
    int value = 0;
};

// Time bar for the view at `timeScale` over data reaching `timeMax` seconds (> 0).
ScrollBarState timeScrollRange(double timeScale, int plotWidth, qint32 timeMax);
// Value for origin t, and the origin a value stands for.
int timeScrollValueFor(const ScrollBarState &bar, qint32 timeMax, qint32 t);
qint32 timeForScrollValue(const ScrollBarState &bar, qint32 timeMax, int value);
// One pixel's worth of time, at least one second: the arrow step of the time bar.
qint32 timeScrollStep(double timeScale);

// Temperature bar between `low` and `high`; hidden when the whole range fits the plot.
ScrollBarState tempScrollRange(double yScale, int plotHeight, float low, float high);
// The bar runs downwards while temperatures rise: value for bottom y, and the inverse.
int tempScrollValueFor(const ScrollBarState &bar, double yScale, int plotHeight, float low,
                       float high, float y);
float tempForScrollValue(const ScrollBarState &bar, double yScale, int plotHeight, float low,
                         float high, int value);

// The unit of the zoom-back ring and of the stored scales.
struct ScaleRecord {
    qint32 timeOrigin = 0;
    float yBottom = 0.0f;
    float timeBaseScale = 1.0f;
    float yBaseScale = 1.0f;
    qint16 timeZoomIndex = 0;
    qint16 yZoomIndex = 0;
};
