#include "ClassData.h"

#include "DateTime.h"
#include "Format.h"

#include <algorithm>
#include <cmath>
#include <limits>

qint16 MaxDataNo = 32000;

std::unique_ptr<ClassData> channelData[8];

bool checkMeasDataExist(int ch)
{
    return ch >= 0 && ch < 8 && channelData[ch] != nullptr;
}

namespace
{

// The arrays hold indices 0..100 at first and grow in steps of 100.
constexpr int growthStep = 100;

// Upper and lower limit used when a limit is not set, and the values the range codes take
// in the comparator.
constexpr float openUpper = 99999.0f;
constexpr float openLower = -99999.0f;
constexpr float overRangeJudged = 501.0f;
constexpr float underRangeJudged = -51.0f;

// Beyond this the peak-to-peak is reported as an error.
constexpr double peakToPeakLimit = 9999.0;

QString blankNumber(int n)
{
    return n < 0 ? QString::number(n) : u' ' + QString::number(n);
}

} // namespace

ClassData::ClassData() : FileName(newUntitledName()), CompHigh(notSetValue), CompLow(notSetValue)
{
    m_time.resize(growthStep + 1);
    m_elapsed.resize(growthStep + 1);
    m_value.resize(growthStep + 1);
    m_judge.resize(growthStep + 1);
}

void ClassData::growFor(int count)
{
    if (count % growthStep != 0)
        return;
    const std::size_t size = static_cast<std::size_t>(count) + growthStep + 1;
    if (m_value.size() >= size)
        return;
    // Doubling the reserve keeps the cost of an append independent of the count.
    if (size > m_value.capacity()) {
        const std::size_t room = std::max(size, 2 * m_value.capacity());
        m_time.reserve(room);
        m_elapsed.reserve(room);
        m_value.reserve(room);
        m_judge.reserve(room);
    }
    m_time.resize(size);
    m_elapsed.resize(size);
    m_value.resize(size);
    m_judge.resize(size);
}

void ClassData::reserveIndex(int index)
{
    if (index > upperBound())
        growFor(index / growthStep * growthStep);
}

QString ClassData::getStartDateTime() const
{
    return dateTimeText(StartDateTime);
}

QString ClassData::getStartDate() const
{
    return dateText(StartDateTime);
}

QString ClassData::getStartTime() const
{
    return timeText(StartDateTime);
}

QString ClassData::getStopDateTime() const
{
    return dateTimeText(StopDateTime);
}

QString ClassData::getStopDate() const
{
    return dateText(StopDateTime);
}

QString ClassData::getStopTime() const
{
    return timeText(StopDateTime);
}

QString ClassData::getMaxDateTime() const
{
    return valueStatus(MaxValue) >= 3 ? QStringLiteral("-") : dateTimeText(MaxDateTime);
}

QString ClassData::getMaxDate() const
{
    return valueStatus(MaxValue) >= 3 ? QStringLiteral("-") : dateText(MaxDateTime);
}

QString ClassData::getMaxTime() const
{
    return valueStatus(MaxValue) >= 3 ? QStringLiteral("-") : timeText(MaxDateTime);
}

QString ClassData::getMinDateTime() const
{
    return valueStatus(MinValue) >= 3 ? QStringLiteral("-") : dateTimeText(MinDateTime);
}

QString ClassData::getMinDate() const
{
    return valueStatus(MinValue) >= 3 ? QStringLiteral("-") : dateText(MinDateTime);
}

QString ClassData::getMinTime() const
{
    return valueStatus(MinValue) >= 3 ? QStringLiteral("-") : timeText(MinDateTime);
}

qint32 ClassData::getDataX(int index) const
{
    return index >= 0 && index <= upperBound() ? m_elapsed[index] : 0;
}

float ClassData::getDataY(int index) const
{
    return index >= 0 && index <= upperBound() ? m_value[index] : 0.0f;
}

qint16 ClassData::getDataStatus(int index) const
{
    return index >= 0 && index <= upperBound() ? m_judge[index] : 0;
}

QString ClassData::getDataStatusStr(int index) const
{
    if (!getCompOn())
        return {};
    switch (getDataStatus(index)) {
    case 1:
        return QStringLiteral("Lo");
    case 2:
        return QStringLiteral("Hi");
    default:
        return {};
    }
}

double ClassData::getDataDate0(int index) const
{
    return index >= 0 && index <= upperBound() ? m_time[index] : 0.0;
}

QString ClassData::getDataDateTime(int index) const
{
    return dateTimeText(getDataDate0(index));
}

QString ClassData::getDataDate(int index) const
{
    return dateText(getDataDate0(index));
}

QString ClassData::getDataTime(int index) const
{
    return timeText(getDataDate0(index));
}

QString ClassData::getCompHighStr() const
{
    return CompHigh == notSetValue ? QStringLiteral("-") : valueText(CompHigh, Resolution);
}

QString ClassData::getCompLowStr() const
{
    return CompLow == notSetValue ? QStringLiteral("-") : valueText(CompLow, Resolution);
}

QString ClassData::getMeasEmiStr() const
{
    return Emissivity == notSetValue ? QStringLiteral("-") : emissivityText(Emissivity);
}

QString ClassData::getCHInfo(int item) const
{
    switch (item) {
    case 0:
        return blankNumber(ChNo + 1);
    case 1:
        return Title;
    case 2:
        return fileNameOf(FileName);
    case 3:
        return getStartDateTime();
    case 4:
        return getStopDateTime();
    case 5:
        return padLeft(blankNumber(DataNo), 11);
    case 6:
        return MeasPerson;
    default:
        return {};
    }
}

bool ClassData::getCompOn() const
{
    return CompHigh != notSetValue || CompLow != notSetValue;
}

void ClassData::compjob()
{
    CompOut = 0;
    if (LastNo < 0)
        return;
    float upper = CompHigh == notSetValue ? openUpper : CompHigh;
    float lower = CompLow == notSetValue ? openLower : CompLow;
    if (upper < lower) {
        upper = CompLow;
        lower = CompHigh;
    }
    const int last = std::min<int>(LastNo, upperBound());
    for (int i = 0; i <= last; ++i) {
        float v = m_value[i];
        if (v == overRangeCode)
            v = overRangeJudged;
        else if (v == underRangeCode)
            v = underRangeJudged;
        if (v > upper) {
            m_judge[i] = 2;
            ++CompOut;
        } else if (v >= lower) {
            m_judge[i] = 0;
        } else {
            m_judge[i] = 1;
            ++CompOut;
        }
    }
}

qint16 ClassData::setRealTimeData(double time, float value)
{
    const qint16 n = m_running.count;
    if (n > MaxDataNo - 1 || n == std::numeric_limits<qint16>::max())
        return dataFull;

    qint32 elapsed = 0;
    if (n > 0) {
        const double seconds = std::nearbyint((time - m_time[0]) * secondsPerDay);
        if (!(std::fabs(seconds) <= std::numeric_limits<qint32>::max()))
            return elapsedOverflow;
        elapsed = static_cast<qint32>(seconds);
    }
    reserveIndex(n);
    m_time[n] = time;
    m_value[n] = value;
    m_elapsed[n] = elapsed;

    DataNo = n + 1;
    StopNo = LastNo = n;
    StartDateTime = m_time[0];
    StopDateTime = m_time[n];

    if (DataNo == 1) {
        m_running.minimum = statisticsMinStart;
        m_running.maximum = statisticsMaxStart;
    }
    const int status = valueStatus(value);
    if (status <= 2) {
        if (value < m_running.minimum) {
            m_running.minimum = value;
            MinValue = value;
            MinDateTime = time;
        }
        if (value > m_running.maximum) {
            m_running.maximum = value;
            MaxValue = value;
            MaxDateTime = time;
        }
    }
    if (status == 0) {
        m_running.sum += value;
        m_running.normalCount += 1;
        m_running.average = static_cast<float>(m_running.sum / m_running.normalCount);
    }
    // Until a usable reading arrives the figures read as they will once the run is finished:
    // no extreme is "ERROR" at sample 0, no average is "+OVER".
    if (m_running.minimum == statisticsMinStart) {
        MinValue = errorCode;
        MinDateTime = m_time[0];
    }
    if (m_running.maximum == statisticsMaxStart) {
        MaxValue = errorCode;
        MaxDateTime = m_time[0];
    }
    AveValue = m_running.normalCount != 0 ? m_running.average : overRangeCode;

    m_running.count = n + 1;
    growFor(m_running.count);
    return 0;
}

void ClassData::setTimeData()
{
    // Only stored samples count, whatever a caller put into DataNo.
    if (DataNo > upperBound() + 1)
        DataNo = static_cast<qint16>(upperBound() + 1);
    if (DataNo > 0) {
        StopNo = LastNo = DataNo - 1;
        StartDateTime = m_time[0];
        StopDateTime = m_time[StopNo];
        SpanStatistics stats;
        calcStatisSub(0, 0.0, m_elapsed[StopNo], stats);
        MinValue = stats.minimum;
        MaxValue = stats.maximum;
        AveValue = stats.average;
        MinDateTime = m_time[stats.minIndex];
        MaxDateTime = m_time[stats.maxIndex];
    } else {
        DataNo = 0;
        StopNo = 0;
        LastNo = -1;
        MaxValue = MinValue = AveValue = 0.0f;
    }
}

void ClassData::calcStatisSub(qint16, double spanStart, double spanEnd, SpanStatistics &stats)
{
    const int last = std::min<int>(LastNo, upperBound());
    int first = -1;
    int end = -1;
    bool endFound = false;
    for (int i = 0; i <= last; ++i) {
        const double x = m_elapsed[i];
        if (first < 0 && x >= spanStart)
            first = i;
        if (x > spanEnd) {
            end = i - 1;
            endFound = end >= 0;
            break;
        }
    }
    if (first < 0)
        first = StopNo;
    if (!endFound)
        end = StopNo;
    const int from = std::min(first, end);
    // An empty set has no sample to summarise, not a phantom sample 0.
    const int to = std::min(std::max(first, end), last);

    float minimum = statisticsMinStart;
    float maximum = statisticsMaxStart;
    double sum = 0.0;
    int count = 0;
    for (int i = from; i <= to; ++i) {
        const float v = m_value[i];
        const int status = valueStatus(v);
        if (status < 3) {
            if (v < minimum) {
                minimum = v;
                stats.minIndex = static_cast<qint16>(i);
            }
            if (v > maximum) {
                maximum = v;
                stats.maxIndex = static_cast<qint16>(i);
            }
        }
        if (status == 0) {
            sum += v;
            ++count;
        }
    }

    double peakToPeak = static_cast<double>(maximum) - minimum;
    if (peakToPeak > peakToPeakLimit || peakToPeak < -peakToPeakLimit)
        peakToPeak = errorCode;
    if (minimum == statisticsMinStart)
        minimum = errorCode;
    if (maximum == statisticsMaxStart)
        maximum = errorCode;

    stats.minimum = minimum;
    stats.maximum = maximum;
    stats.sum = sum;
    stats.peakToPeak = static_cast<float>(peakToPeak);
    stats.average = count != 0 ? static_cast<float>(sum / count) : overRangeCode;

    compjob();
}

void ClassData::storeSample(int index, double time, float value, qint32 elapsed)
{
    if (index < 0 || index > std::numeric_limits<qint16>::max())
        return;
    reserveIndex(index);
    m_time[index] = time;
    m_value[index] = value;
    m_elapsed[index] = elapsed;
    growFor(index + 1);
}

void ClassData::resetHeader()
{
    Title.clear();
    MeasPerson.clear();
    Emissivity = notSetValue;
    CompHigh = notSetValue;
    CompLow = notSetValue;
    Unit = 0;
    Resolution = 0;
}
