#include "GraphMath.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
constexpr qint32 timeLadder[] = {1,    5,     10,    30,    60,     300,    600,     1800,   3600,
                                 7200, 21600, 43200, 86400, 172800, 604800, 2592000, 8640000};
constexpr double tempLadder[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100};
constexpr float tempSpans[] = {0.1f, 0.5f, 1.0f, 5.0f, 10.0f, 20.0f, 50.0f, 100.0f};

// A quotient this close to a whole number counts as one: temperatures are singles, so 19.3
// over 0.1 lands a hair beside 193.
constexpr double wholeTolerance = 1e-6;

int clampInt(double value, int low, int high)
{
    return int(std::clamp<qint64>(roundEven(value), low, high));
}

double gridQuotient(double value, double step)
{
    return step < 1.0 ? (value * 10.0) / (step * 10.0) : value / step;
}
} // namespace

qint64 roundEven(double value)
{
    return qint64(std::nearbyint(value));
}

qint32 fTimeAxisPrim(qint32 origin, qint32 t, double timeScale)
{
    const double x = (double(t) - double(origin)) * timeScale;
    return qint32(roundEven(std::clamp(x, -32000.0, 32000.0)));
}

qint32 infTimeAxisPrim(qint32 origin, int x, double timeScale)
{
    return qint32(roundEven(double(x) / timeScale + origin));
}

qint16 fYAxisPrim(float bottom, float y, double yScale, int plotHeight)
{
    const double py = plotHeight - (double(y) - double(bottom)) * yScale - 1.0;
    return qint16(roundEven(std::clamp(py, -32768.0, 32767.0)));
}

float infYAxisPrim(float bottom, int py, double yScale, int plotHeight)
{
    return float(double(plotHeight - py) / yScale + bottom);
}

qint32 timeSpanSeconds(int item)
{
    return item >= 0 && item < timeSpanItems ? timeLadder[item] : 60;
}

float tempSpanDegrees(int item)
{
    return item >= 0 && item < tempSpanItems ? tempSpans[item] : 0.0f;
}

float zoomFactor(int index)
{
    return float(1 << qBound(0, index, 3));
}

qint32 timeGridStep(double secondsPer60px)
{
    for (qint32 step : timeLadder) {
        if (step >= secondsPer60px)
            return step;
    }
    return timeLadder[timeSpanItems - 1];
}

double tempGridStep(double degreesPer60px)
{
    for (double step : tempLadder) {
        if (step >= degreesPer60px)
            return step;
    }
    return tempLadder[std::size(tempLadder) - 1];
}

qint64 firstGridIndex(double value, double step)
{
    const double q = gridQuotient(value, step);
    const double whole = std::round(q);
    if (std::abs(q - whole) < wholeTolerance)
        return qint64(whole);
    return qint64(std::floor(q)) + 1;
}

qint64 lastGridIndex(double value, double step)
{
    const double q = gridQuotient(value, step);
    const double whole = std::round(q);
    if (std::abs(q - whole) < wholeTolerance)
        return qint64(whole);
    return qint64(std::floor(q));
}

ScrollBarState timeScrollRange(double timeScale, int plotWidth, qint32 timeMax)
{
    ScrollBarState bar;
    if (timeMax <= 0)
        return bar;
    const double fit = std::max(double(plotWidth - 1) / timeMax, 1e-20);
    const double r = timeScale / fit;
    bar.visible = true;
    bar.max = r <= 1.0 ? clampInt(r * 32000.0, 0, 32000) : 32000;
    bar.largeChange = clampInt(bar.max / r, 1, 32000);
    bar.smallChange = clampInt(double(bar.max) / timeMax, 1, 32000);
    return bar;
}

int timeScrollValueFor(const ScrollBarState &bar, qint32 timeMax, qint32 t)
{
    if (!bar.visible || timeMax == 0)
        return bar.value;
    return clampInt(double(bar.max) / timeMax * t, 0, bar.max);
}

qint32 timeForScrollValue(const ScrollBarState &bar, qint32 timeMax, int value)
{
    if (!bar.visible || bar.max <= 0)
        return 0;
    return qint32(roundEven(double(value) / bar.max * timeMax));
}

qint32 timeScrollStep(double timeScale)
{
    const double secondsPerPixel = 1.0 / timeScale;
    return secondsPerPixel >= 1.0 ? qint32(secondsPerPixel) : 1;
}

ScrollBarState tempScrollRange(double yScale, int plotHeight, float low, float high)
{
    ScrollBarState bar;
    const double fit = std::max(double(plotHeight) / (double(high) - low), 1e-20);
    const double r = yScale / fit;
    if (r <= 1.0)
        return bar;
    bar.visible = true;
    if (r <= 2.0) {
        bar.max = clampInt((r - 1.0) * 32000.0, 0, 32000);
        bar.largeChange = clampInt(bar.max / (r - 1.0), 1, 32000);
    } else {
        bar.max = 32000;
        bar.largeChange = clampInt(bar.max / (r - 1.0), 1, bar.max);
    }
    bar.smallChange = std::max(1, clampInt(double(bar.largeChange) / plotHeight, 1, 32000));
    return bar;
}

namespace
{
// Degrees the bottom can travel: the allowed range less what one plot height shows.
double tempTravel(double yScale, int plotHeight, float low, float high)
{
    return (double(high) - low) - plotHeight / yScale;
}
} // namespace

int tempScrollValueFor(const ScrollBarState &bar, double yScale, int plotHeight, float low,
                       float high, float y)
{
    const double travel = tempTravel(yScale, plotHeight, low, high);
    if (!bar.visible || travel <= 0.0)
        return 0;
    return clampInt(bar.max - (double(y) - low) * bar.max / travel, 0, bar.max);
}

float tempForScrollValue(const ScrollBarState &bar, double yScale, int plotHeight, float low,
                         float high, int value)
{
    if (!bar.visible || bar.max <= 0)
        return low;
    const double travel = tempTravel(yScale, plotHeight, low, high);
    return float(low + double(bar.max - value) / bar.max * travel);
}
