#pragma once

#include "ClassData.h"
#include "DateTime.h"
#include "GraphPlot.h"
#include "SampleData.h"

#include <QImage>

#include <cmath>
#include <memory>
#include <vector>

// Channel data sets and plots as the graph tests use them.
inline const double runStart = toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0));
inline const QRgb white = qRgb(255, 255, 255);
inline const QRgb gridGrey = qRgb(160, 160, 160);

// A channel whose samples lie at the given elapsed seconds.
inline std::unique_ptr<ClassData> makeChannel(const std::vector<qint32> &times,
                                              const std::vector<float> &values, qint16 unit = 0,
                                              double start = runStart)
{
    auto data = std::make_unique<ClassData>();
    for (std::size_t i = 0; i < times.size(); ++i)
        data->storeSample(int(i), start + times[i] / secondsPerDay, values[i], times[i]);
    data->DataNo = qint16(times.size());
    data->setTimeData();
    data->Unit = unit;
    return data;
}

// `count` samples one second apart on a slow wave with a little jitter.
inline std::unique_ptr<ClassData> waveChannel(int count, float level = 25.0f)
{
    std::vector<qint32> times;
    std::vector<float> values;
    for (int i = 0; i < count; ++i) {
        times.push_back(i);
        values.push_back(level + 10.0f * float(std::sin(i / 90.0)) + float(i % 3) * 0.4f);
    }
    return makeChannel(times, values);
}

inline bool inked(const QImage &image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return pixel != white && pixel != gridGrey;
}

inline int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    }
    return count;
}

// A plot the size the window would give it, events on, as after loading.
inline void openPlot(GraphPlot &plot, int width = 601, int height = 401)
{
    plot.Form_Load();
    plot.resize(width, height);
    plot.graphEventsOn = true;
    for (int ch = 0; ch < 8; ++ch)
        plot.initGraphCh(ch);
}
