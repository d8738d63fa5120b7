#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"

#include <QTest>

#include <algorithm>
#include <vector>

namespace
{

double secondsAfterStart(double seconds)
{
    return toDayCount(QDate(1999, 8, 1), QTime(10, 0, 0)) + seconds / secondsPerDay;
}

// Appends the values one second apart.
void appendAll(ClassData &data, const std::vector<float> &values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        QCOMPARE(data.setRealTimeData(secondsAfterStart(i), values[i]), qint16(0));
}

// A set of samples ten seconds apart, filled as the file reader fills it.
void fillEveryTenSeconds(ClassData &data, const std::vector<float> &values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        data.storeSample(int(i), secondsAfterStart(10.0 * i), values[i], qint32(10 * i));
    data.DataNo = qint16(values.size());
    data.setTimeData();
}

} // namespace

Q_DECLARE_METATYPE(std::vector<float>)

class TestClassData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        MaxDataNo = 32000;
    }

    void liveAppendsKeepRunningStatistics_data()
    {
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<int>("maxIndex");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<int>("minIndex");
        QTest::addColumn<float>("average");

        QTest::newRow("ties keep the earlier sample")
            << std::vector<float>{20.0f, 25.0f, 25.0f, 10.0f, 10.0f} << 25.0f << 1 << 10.0f << 3
            << 18.0f;
        QTest::newRow("over range is the maximum but not averaged")
            << std::vector<float>{20.0f, overRangeCode, 30.0f} << overRangeCode << 1 << 20.0f << 0
            << 25.0f;
        QTest::newRow("error and low battery are skipped")
            << std::vector<float>{errorCode, 20.0f, lowBatteryCode, 30.0f} << 30.0f << 3 << 20.0f
            << 1 << 25.0f;
        // Without a usable reading the run shows during its course what it shows once finished.
        QTest::newRow("only low battery") << std::vector<float>{lowBatteryCode, lowBatteryCode}
                                          << errorCode << 0 << errorCode << 0 << overRangeCode;
        QTest::newRow("only over range")
            << std::vector<float>{overRangeCode, overRangeCode} << overRangeCode << 0
            << overRangeCode << 0 << overRangeCode;
        QTest::newRow("low battery around a reading")
            << std::vector<float>{lowBatteryCode, 21.5f, lowBatteryCode} << 21.5f << 1 << 21.5f << 1
            << 21.5f;
    }

    void liveAppendsKeepRunningStatistics()
    {
        QFETCH(std::vector<float>, values);
        ClassData data;
        appendAll(data, values);

        QCOMPARE(data.DataNo, qint16(values.size()));
        QCOMPARE(data.LastNo, qint16(values.size() - 1));
        QCOMPARE(data.StopDateTime, secondsAfterStart(values.size() - 1));
        QFETCH(int, maxIndex);
        QFETCH(int, minIndex);
        // The finished run recomputes the same figures from its samples.
        for (int pass = 0; pass < 2; ++pass, data.setTimeData()) {
            QTEST(data.MaxValue, "maximum");
            QTEST(data.MinValue, "minimum");
            QTEST(data.AveValue, "average");
            QCOMPARE(data.MaxDateTime, secondsAfterStart(maxIndex));
            QCOMPARE(data.MinDateTime, secondsAfterStart(minIndex));
        }
    }

    void spanStatistics_data()
    {
        QTest::addColumn<std::vector<float>>("values"); // ten seconds apart
        QTest::addColumn<double>("spanStart");
        QTest::addColumn<double>("spanEnd");
        QTest::addColumn<int>("minIndex");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<int>("maxIndex");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<double>("sum");
        QTest::addColumn<float>("peakToPeak");
        QTest::addColumn<float>("average");

        const std::vector<float> five{10.0f, 20.0f, 30.0f, 40.0f, 50.0f};
        QTest::newRow("inner span")
            << five << 15.0 << 35.0 << 2 << 30.0f << 3 << 40.0f << 70.0 << 10.0f << 35.0f;
        QTest::newRow("span between two samples takes both neighbours")
            << five << 12.0 << 18.0 << 1 << 20.0f << 2 << 30.0f << 50.0 << 10.0f << 25.0f;
        // No sample reaches 35 before one passes 15: start falls back to the last sample and the
        // samples 1..4 are used.
        QTest::newRow("reversed span")
            << five << 35.0 << 15.0 << 1 << 20.0f << 4 << 50.0f << 140.0 << 30.0f << 35.0f;
        QTest::newRow("span before the first sample uses all")
            << five << -20.0 << -10.0 << 0 << 10.0f << 4 << 50.0f << 150.0 << 40.0f << 30.0f;
        QTest::newRow("span after the last sample uses the last")
            << five << 100.0 << 200.0 << 4 << 50.0f << 4 << 50.0f << 50.0 << 0.0f << 50.0f;
        QTest::newRow("over range makes peak-to-peak an error")
            << std::vector<float>{20.0f, overRangeCode, 30.0f} << 0.0 << 20.0 << 0 << 20.0f << 1
            << overRangeCode << 50.0 << errorCode << 25.0f;
        QTest::newRow("peak-to-peak of 9999 stays")
            << std::vector<float>{-50.0f, 9949.0f} << 0.0 << 10.0 << 0 << -50.0f << 1 << 9949.0f
            << 9899.0 << 9999.0f << 4949.5f;
        // No usable sample, or none at all: the caller's indices 7 and 9 stay.
        QTest::newRow("errors and low battery only")
            << std::vector<float>{errorCode, lowBatteryCode, errorCode} << 0.0 << 20.0 << 7
            << errorCode << 9 << errorCode << 0.0 << errorCode << overRangeCode;
        QTest::newRow("no sample, not a phantom sample 0")
            << std::vector<float>{} << 0.0 << 100.0 << 7 << errorCode << 9 << errorCode << 0.0
            << errorCode << overRangeCode;
    }

    void spanStatistics()
    {
        QFETCH(std::vector<float>, values);
        QFETCH(double, spanStart);
        QFETCH(double, spanEnd);
        ClassData data;
        fillEveryTenSeconds(data, values);

        data.CompHigh = 100.0f;
        data.CompOut = 5;
        SpanStatistics stats;
        stats.minIndex = 7;
        stats.maxIndex = 9;
        data.calcStatisSub(0, spanStart, spanEnd, stats);
        // The span statistics rerun the comparator: error codes lie above any limit.
        QCOMPARE(int(data.CompOut), int(std::count_if(values.begin(), values.end(),
                                                      [](float v) { return v > 100.0f; })));
        QTEST(int(stats.minIndex), "minIndex");
        QTEST(stats.minimum, "minimum");
        QTEST(int(stats.maxIndex), "maxIndex");
        QTEST(stats.maximum, "maximum");
        QTEST(stats.sum, "sum");
        QTEST(stats.peakToPeak, "peakToPeak");
        QTEST(stats.average, "average");
    }

    void comparatorJudgesEachSample_data()
    {
        QTest::addColumn<float>("high");
        QTest::addColumn<float>("low");
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("judgement");

        QTest::newRow("equal to the upper limit is within") << 50.0f << 10.0f << 50.0f << 0;
        QTest::newRow("above") << 50.0f << 10.0f << 50.1f << 2;
        QTest::newRow("below") << 50.0f << 10.0f << 9.9f << 1;
        QTest::newRow("swapped limits, above") << 50.0f << 100.0f << 100.5f << 2;
        QTest::newRow("over range counts as 501, above 500")
            << 500.0f << -50.0f << overRangeCode << 2;
        QTest::newRow("over range counts as 501, equal") << 501.0f << -50.0f << overRangeCode << 0;
        QTest::newRow("under range counts as -51, below -50")
            << 500.0f << -50.0f << underRangeCode << 1;
        QTest::newRow("low battery counts with its value")
            << 940.0f << -60.0f << lowBatteryCode << 2;
        QTest::newRow("only upper set") << 50.0f << notSetValue << -500.0f << 0;
        QTest::newRow("only lower set, below") << notSetValue << 10.0f << 5.0f << 1;
    }

    void comparatorJudgesEachSample()
    {
        QFETCH(float, high);
        QFETCH(float, low);
        QFETCH(float, value);
        QFETCH(int, judgement);
        ClassData data;
        appendAll(data, {50.0f, value, 50.0f});
        data.CompHigh = high;
        data.CompLow = low;
        data.compjob();
        QCOMPARE(int(data.getDataStatus(1)), judgement);
        QCOMPARE(int(data.CompOut), judgement == 0 ? 0 : 1);
        const char *texts[] = {"", "Lo", "Hi"};
        QCOMPARE(data.getDataStatusStr(1), QString::fromLatin1(texts[judgement]));
        // The stored limits are never exchanged.
        QCOMPARE(data.CompHigh, high);
        QCOMPARE(data.CompLow, low);
    }

    void emptySetHasNoStatistics()
    {
        QVERIFY(!checkMeasDataExist(-1) && !checkMeasDataExist(8));
        ClassData data;
        data.MaxValue = data.MinValue = data.AveValue = 3.0f;
        data.setTimeData();
        QCOMPARE(data.DataNo, qint16(0));
        QCOMPARE(data.StopNo, qint16(0));
        QCOMPARE(data.LastNo, qint16(-1));
        QCOMPARE(data.MaxValue + data.MinValue + data.AveValue, 0.0f);
    }

    // The capacity is the measurement time dialog's; 32000 at most.
    void appendBeyondCapacityReturns21000AndChangesNothing()
    {
        MaxDataNo = 3;
        ClassData data;
        appendAll(data, {1.0f, 2.0f, 3.0f});
        QCOMPARE(data.setRealTimeData(secondsAfterStart(3), 40.0f), qint16(21000));
        QCOMPARE(data.DataNo, qint16(3));
        QCOMPARE(data.StopDateTime, secondsAfterStart(2));
        QCOMPARE(data.MaxValue, 3.0f);
        QCOMPARE(data.getDataY(3), 0.0f);
    }

    void elapsedSecondsAreExactAndBoundedTo32Bits()
    {
        ClassData data;
        const double first = toDayCount(QDate(2026, 3, 1), QTime(23, 59, 57));
        const int offsets[] = {0, 1, 3, 59, 3600, 86399, 86400 * 40 + 7};
        for (int offset : offsets) {
            const QDateTime t = fromDayCount(first).addSecs(offset);
            QCOMPARE(data.setRealTimeData(toDayCount(t), 20.0f), qint16(0));
        }
        for (int i = 0; i < int(std::size(offsets)); ++i)
            QCOMPARE(data.getDataX(i), offsets[i]);

        // Fractions of a second round to the nearest second.
        ClassData fractions;
        for (double seconds : {0.0, 9.6, 9.4})
            QCOMPARE(fractions.setRealTimeData(first + seconds / secondsPerDay, 1.0f), qint16(0));
        QCOMPARE(fractions.getDataX(1), 10);
        QCOMPARE(fractions.getDataX(2), 9);

        // Too far from sample 0 for 32-bit seconds (a memory record whose time could not be
        // read carries the day count 1.0): refused, the set unchanged.
        ClassData far;
        QCOMPARE(far.setRealTimeData(1.0, 20.0f), qint16(0));
        QCOMPARE(far.setRealTimeData(secondsAfterStart(0), 21.0f), ClassData::elapsedOverflow);
        QCOMPARE(far.DataNo, qint16(1));
        QCOMPARE(far.StopDateTime, 1.0);
        QCOMPARE(far.MaxValue, 20.0f);
    }
};

QTEST_GUILESS_MAIN(TestClassData)
#include "test_classdata.moc"
