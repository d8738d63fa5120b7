#pragma once

#include "ClassData.h"
#include "DateTime.h"

#include <memory>

// No test may see another's channels.
inline void clearChannels()
{
    for (auto &data : channelData)
        data.reset();
}

// `count` samples `step` seconds apart from `start`, stored as the file reader stores them;
// `value(i)` gives sample i.
template <typename Value>
std::unique_ptr<ClassData> makeSeries(int count, double start, int step, Value value)
{
    auto data = std::make_unique<ClassData>();
    for (int i = 0; i < count; ++i)
        data->storeSample(i, start + double(i * step) / secondsPerDay, value(i), qint32(i * step));
    data->DataNo = qint16(count);
    data->setTimeData();
    return data;
}
