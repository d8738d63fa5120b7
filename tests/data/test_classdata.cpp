#include "AppState.h"
#include "FakePump.h"
#include "FilePace.h"
#include "FileProgress.h"
#include "Format.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QtTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct RecordingProgress : FileProgress {
    void initProgress(int) override {}
    void ProgressJob(int position) override
    {
        positions.append(position);
        onJob(position);
    }

    QList<int> positions;
    std::function<void(int)> onJob;
};

// A clock that moves a whole pace at every look, so that the file loops let events run each
// time they look at it (the reader looks once per block it reads).
class RushingPump : public FakePump
{
public:
    qint64 monotonicMs() const override { return m_ms += FilePace::paceMs; }

private:
    mutable qint64 m_ms = 0;
};

double secondsAfterStart(double seconds)
{
    return toDayCount(QDate(1999, 8, 1), QTime(10, 0, 0)) + seconds / secondsPerDay;
}

// Samples `step` seconds apart from 99/08/01 10:00:00, appended as a recording appends them.
std::unique_ptr<ClassData> recorded(const QList<float> &values, int step = 1)
{
    auto data = std::make_unique<ClassData>();
    for (int i = 0; i < values.size(); ++i)
        data->setRealTimeData(secondsAfterStart(double(i) * step), values[i]);
    return data;
}

const QByteArray realTimeHeader =
    "Title,Furnace\r\nStart Time,99/08/01,10:00:00\r\nStop Time,99/08/01,10:00:02\r\n"
    "Data Number, 3\r\nUnit,\302\260C\r\nResolution,0.1\r\nEmissivity,0.95\r\n"
    "Max,99/08/01,10:00:01,25.4\r\nMin,99/08/01,10:00:00,24.1\r\nAve,24.8\r\n"
    "Meas. Person,Tanaka\r\nDate,Time,Data[\302\260C]\r\n";
const QByteArray threeSamples =
    "99/08/01,10:00:00,24.1\r\n99/08/01,10:00:01,25.4\r\n99/08/01,10:00:02,24.9\r\n";
const QByteArray memoryWithComparator =
    "Title,Block 1\r\nStart Time,99/08/01,10:00\r\nStop Time,99/08/01,10:03\r\n"
    "Data Number, 4\r\nUnit,\302\260F\r\nMax,99/08/01,10:01,55.0\r\n"
    "Min,99/08/01,10:02,5.0\r\nAve,28.0\r\nUpper,50.0\r\nLower,10.0\r\nOut, 3\r\n"
    "Meas. Person,Sato\r\nDate,Time,Data[\302\260F],Judg.\r\n"
    "99/08/01,10:00,24.1\r\n99/08/01,10:01,55.0,Hi\r\n99/08/01,10:02,5.0,Lo\r\n"
    "99/08/01,10:03,ERROR,Hi\r\n";
// Samples one second apart from 99/08/01 10:00:00, values 0.5, 1.5, .. 499.5, 0.5, ..
QByteArray sampleLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i) {
        const int second = 10 * 3600 + i;
        lines += QString::asprintf("99/08/01,%02d:%02d:%02d,%d.5\r\n", second / 3600,
                                   second / 60 % 60, second % 60, i % 500)
                     .toLatin1();
    }
    return lines;
}

} // namespace

// A channel's samples: running and span statistics, the comparator, and its data files.
class TestClassData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        MaxDataNo = 32000;
        stopRequested = false;
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_pump = std::make_unique<RushingPump>();
    }

    void cleanup()
    {
        m_pump.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    void liveAppendsKeepRunningStatistics_data()
    {
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<int>("maxIndex");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<int>("minIndex");
        QTest::addColumn<float>("average");

        QTest::newRow("ties keep the earlier sample")
            << QList<float>{20.0f, 25.0f, 25.0f, 10.0f, 10.0f} << 25.0f << 1 << 10.0f << 3 << 18.0f;
        QTest::newRow("over range is the maximum but not averaged")
            << QList<float>{20.0f, overRangeCode, 30.0f} << overRangeCode << 1 << 20.0f << 0
            << 25.0f;
        QTest::newRow("error and low battery are skipped")
            << QList<float>{errorCode, 20.0f, lowBatteryCode, 30.0f} << 30.0f << 3 << 20.0f << 1
            << 25.0f;
        // Without a usable reading the run shows during its course what it shows once finished.
        QTest::newRow("only low battery") << QList<float>{lowBatteryCode, lowBatteryCode}
                                          << errorCode << 0 << errorCode << 0 << overRangeCode;
        QTest::newRow("only over range")
            << QList<float>{overRangeCode, overRangeCode} << overRangeCode << 0 << overRangeCode
            << 0 << overRangeCode;
        QTest::newRow("low battery around a reading")
            << QList<float>{lowBatteryCode, 21.5f, lowBatteryCode} << 21.5f << 1 << 21.5f << 1
            << 21.5f;
    }

    void liveAppendsKeepRunningStatistics()
    {
        QFETCH(QList<float>, values);
        const auto data = recorded(values);
        QCOMPARE(data->DataNo, qint16(values.size()));
        QCOMPARE(data->LastNo, qint16(values.size() - 1));
        QCOMPARE(data->StopDateTime, secondsAfterStart(values.size() - 1));
        QFETCH(int, maxIndex);
        QFETCH(int, minIndex);
        // The finished run recomputes the same figures from its samples.
        for (int pass = 0; pass < 2; ++pass, data->setTimeData()) {
            QTEST(data->MaxValue, "maximum");
            QTEST(data->MinValue, "minimum");
            QTEST(data->AveValue, "average");
            QCOMPARE(data->MaxDateTime, secondsAfterStart(maxIndex));
            QCOMPARE(data->MinDateTime, secondsAfterStart(minIndex));
        }
    }

    void spanStatistics_data()
    {
        QTest::addColumn<QList<float>>("values"); // ten seconds apart
        QTest::addColumn<double>("spanStart");
        QTest::addColumn<double>("spanEnd");
        QTest::addColumn<int>("minIndex");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<int>("maxIndex");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<double>("sum");
        QTest::addColumn<float>("peakToPeak");
        QTest::addColumn<float>("average");

        const QList<float> five{10.0f, 20.0f, 30.0f, 40.0f, 50.0f};
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
            << QList<float>{20.0f, overRangeCode, 30.0f} << 0.0 << 20.0 << 0 << 20.0f << 1
            << overRangeCode << 50.0 << errorCode << 25.0f;
        QTest::newRow("peak-to-peak of 9999 stays")
            << QList<float>{-50.0f, 9949.0f} << 0.0 << 10.0 << 0 << -50.0f << 1 << 9949.0f << 9899.0
            << 9999.0f << 4949.5f;
        // No usable sample, or none at all: the caller's indices 7 and 9 stay.
        QTest::newRow("errors and low battery only")
            << QList<float>{errorCode, lowBatteryCode, errorCode} << 0.0 << 20.0 << 7 << errorCode
            << 9 << errorCode << 0.0 << errorCode << overRangeCode;
        QTest::newRow("no sample, not a phantom sample 0")
            << QList<float>{} << 0.0 << 100.0 << 7 << errorCode << 9 << errorCode << 0.0
            << errorCode << overRangeCode;
    }

    void spanStatistics()
    {
        QFETCH(QList<float>, values);
        QFETCH(double, spanStart);
        QFETCH(double, spanEnd);
        auto data = makeSeries(int(values.size()), secondsAfterStart(0), 10,
                               [&values](int i) { return values[i]; });
        data->CompHigh = 100.0f;
        data->CompOut = 5;
        SpanStatistics stats;
        stats.minIndex = 7;
        stats.maxIndex = 9;
        data->calcStatisSub(0, spanStart, spanEnd, stats);
        // The span statistics rerun the comparator: error codes lie above any limit.
        QCOMPARE(int(data->CompOut), int(std::count_if(values.begin(), values.end(),
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
        auto data = recorded({50.0f, value, 50.0f});
        data->CompHigh = high;
        data->CompLow = low;
        data->compjob();
        QCOMPARE(int(data->getDataStatus(1)), judgement);
        QCOMPARE(int(data->CompOut), judgement == 0 ? 0 : 1);
        const char *texts[] = {"", "Lo", "Hi"};
        QCOMPARE(data->getDataStatusStr(1), QString::fromLatin1(texts[judgement]));
        // The stored limits are never exchanged.
        QCOMPARE(data->CompHigh, high);
        QCOMPARE(data->CompLow, low);
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
        auto data = recorded({1.0f, 2.0f, 3.0f});
        QCOMPARE(data->setRealTimeData(secondsAfterStart(3), 40.0f), qint16(21000));
        QCOMPARE(data->DataNo, qint16(3));
        QCOMPARE(data->StopDateTime, secondsAfterStart(2));
        QCOMPARE(data->MaxValue, 3.0f);
        QCOMPARE(data->getDataY(3), 0.0f);
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

    // The real-time layout is kept by the main window's open and save; this is the memory one.
    void savedFileHasExactLayout()
    {
        programMode = 1;
        auto data = recorded({24.1f, 55.0f, 5.0f, errorCode}, 60);
        data->Title = QStringLiteral("Block 1");
        data->MeasPerson = QStringLiteral("Sato");
        data->Unit = 1;
        data->CompHigh = 50.0f;
        data->CompLow = 10.0f;
        data->compjob();

        // An older, longer file of the same name is replaced as a whole.
        const QString file = writeFile(path(QStringLiteral("data.csv")), QByteArray(100000, 'z'));
        QVERIFY(data->saveFileData(file));
        QCOMPARE(readFile(file), memoryWithComparator);

        // Reading it back gives the same set, and writing that again the same bytes.
        ClassData loaded;
        QVERIFY(loaded.loadFileData(file));
        QCOMPARE(m_prompter->texts(), QStringList());
        QCOMPARE(loaded.CompOut, data->CompOut);
        for (int i = 0; i < data->DataNo; ++i)
            QCOMPARE(loaded.getDataX(i), data->getDataX(i));
        QVERIFY(loaded.saveFileData(file));
        QCOMPARE(readFile(file), memoryWithComparator);
    }

    void handMadeFileLoadsOrFailsWithOneMessage_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Loaded: samples|title|unit|person|first value|last value|last elapsed seconds.
        // Refused: the one message shown.
        QTest::addColumn<QString>("expected");
        const QByteArray full = realTimeHeader + threeSamples;
        const QByteArray first = realTimeHeader + "99/08/01,10:00:00,24.1\r\n";
        const QString endOfFile = QStringLiteral("Unexpected end of file.");
        const QString cannotRead = QStringLiteral("Cannot read file.\rLine ");

        QTest::newRow("first line that is no title line is lost")
            << sampleLines(3) << "2||0||1.5|2.5|1";
        QTest::newRow("header without column line loses the first sample")
            << "Title,T\r\nUnit,\302\260F\r\nMeas. Person,P\r\n" + sampleLines(3)
            << "2|T|1|P|1.5|2.5|1";
        QTest::newRow("title and person containing commas are kept whole")
            << "Title,Furnace, north side\r\nMeas. Person,Ito, K.\r\nDate,Time,Data\r\n" +
                   threeSamples
            << "3|Furnace, north side|0|Ito, K.|24.1|24.9|2";
        QTest::newRow("empty line ends the data")
            << first + "99/08/01,10:00:01,25.4\r\n\r\n99/08/01,10:00:02,24.9\r\n"
            << "2|Furnace|0|Tanaka|24.1|25.4|1";
        QTest::newRow("ID form skips seven lines")
            << " ID,0001\r\nModel,x\r\n\r\nc\r\nd\r\ne,f\r\ng\r\nh\r\n" + threeSamples
            << "3||0||24.1|24.9|2";
        QTest::newRow("byte order mark and line feeds only")
            << QByteArray("\xEF\xBB\xBF" + full).replace("\r\n", "\n")
            << "3|Furnace|0|Tanaka|24.1|24.9|2";
        QTest::newRow("no line end after the last sample")
            << full.chopped(2) << "3|Furnace|0|Tanaka|24.1|24.9|2";
        QTest::newRow("four-digit years, a value without leading digit")
            << QByteArray("Title,Y\r\nDate,Time,Data\r\n1999/08/01,10:00:00,20.0\r\n"
                          "1999/08/01,10:01:05,-.5\r\n")
            << "2|Y|0||20.0|-0.5|65";
        QTest::newRow("blank lines inside the header are skipped")
            << "Title,T\r\n\r\nMeas. Person,P\r\n\r\nDate,Time,Data\r\n" + threeSamples
            << "3|T|0|P|24.1|24.9|2";
        QTest::newRow("code words and a judgement column")
            << QByteArray("Title,M\r\nDate,Time,Data,Judg.\r\n99/08/01,10:00,+OVER,Hi\r\n"
                          "99/08/01,10:01,-OVER,Lo\r\n99/08/01,10:02,ERROR,Hi\r\n")
            << "3|M|0||+OVER|ERROR|120";

        QTest::newRow("empty file") << QByteArray() << endOfFile;
        QTest::newRow("ID form cut short") << QByteArray(" ID\r\na\r\nb\r\n") << endOfFile;
        // The header is 12 lines long, sample 0 line 13.
        QTest::newRow("first sample line empty")
            << realTimeHeader + "\r\n" + threeSamples << cannotRead + "13 cannot be read:\r";
        QTest::newRow("date that is no date")
            << first + "ab/cd/ef,10:00:01,24.1\r\n"
            << cannotRead + "14 cannot be read:\rab/cd/ef,10:00:01,24.1";
        QTest::newRow("line with fewer fields") << first + "99/08/01\r\n"
                                                << cannotRead + "14 cannot be read:\r99/08/01";
        QTest::newRow("samples a century apart")
            << realTimeHeader + "80/01/01,00:00:00,1.0\r\n79/12/31,00:00:00,2.0\r\n"
            << cannotRead + "14 cannot be read:\r79/12/31,00:00:00,2.0";
        QTest::newRow("long garbled line is quoted short")
            << first + QByteArray(5000, 'q') + "\r\n"
            << cannotRead + "14 cannot be read:\r" + QString(60, u'q') + "...";
    }

    void handMadeFileLoadsOrFailsWithOneMessage()
    {
        QFETCH(QByteArray, content);
        const QString file = writeFile(path(QStringLiteral("hand.csv")), content);
        ClassData data;
        data.Title = QStringLiteral("old");
        data.CompHigh = 20.0f;
        if (!data.loadFileData(file)) {
            QCOMPARE(m_prompter->texts().size(), 1);
            QTEST(m_prompter->texts().first(), "expected");
            return;
        }
        QCOMPARE(m_prompter->texts(), QStringList());
        const QString loaded = QString::number(data.DataNo) + u'|' + data.Title + u'|' +
                               QString::number(data.Unit) + u'|' + data.MeasPerson + u'|' +
                               valueText(data.getDataY(0), 0) + u'|' +
                               valueText(data.getDataY(data.LastNo), 0) + u'|' +
                               QString::number(data.getDataX(data.LastNo));
        QTEST(loaded, "expected");
        QCOMPARE(data.LastNo, qint16(data.DataNo - 1));
        QVERIFY(!data.getCompOn());
    }

    void missingFilesFailWithSystemText()
    {
        ClassData data;
        QVERIFY(!data.loadFileData(path(QStringLiteral("missing.csv"))));
        QVERIFY(!data.loadFileData(m_dir->path()));
        QCOMPARE(m_prompter->texts().size(), 2);
        for (const QString &text : m_prompter->texts())
            QVERIFY(!text.isEmpty() && !text.startsWith(QLatin1String("Cannot read file.")));
    }

    void moreThan32000SamplesLoadFirst32000AndSaySo_data()
    {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("50 samples more")
            << sampleLines(32050).mid(sampleLines(32000).size())
            << QStringList{QStringLiteral("Only the first 32000 samples were loaded: the rest of "
                                          "the file does not fit into a channel.")};
        QTest::newRow("exactly full") << QByteArray() << QStringList();
        QTest::newRow("full, then an empty line ending the data")
            << QByteArray("\r\n99/08/02,00:00:00,1.0\r\n") << QStringList();
    }

    void moreThan32000SamplesLoadFirst32000AndSaySo()
    {
        QFETCH(QByteArray, after);
        const QString file = writeFile(path(QStringLiteral("long.csv")),
                                       "Title,Long\r\nData Number, 32050\r\nDate,Time,Data\r\n" +
                                           sampleLines(32000) + after);
        ClassData data;
        QVERIFY(data.loadFileData(file));
        QTEST(m_prompter->texts(), "texts");
        QCOMPARE(data.DataNo, qint16(32000));
        QCOMPARE(data.getDataY(31999), float(31999 % 500) + 0.5f);
        QCOMPARE(data.getDataX(31999), 31999);
        QCOMPARE(data.MaxValue, 499.5f);
        QCOMPARE(data.MaxDateTime, data.getDataDate0(499));
    }

    // Stop ends a load at once, and a save leaving the previous file as it was.
    void stopEndsEveryFileLoop_data()
    {
        QTest::addColumn<QByteArray>("content"); // to load; none: a save over a file
        QTest::addColumn<bool>("fromPump");      // Stop pressed while events run
        QTest::newRow("samples") << "Title,S\r\nDate,Time,Data\r\n" + sampleLines(40000) << false;
        QTest::newRow("one endless line")
            << "Title,L\r\nDate,Time,Data\r\n" + QByteArray(2 << 20, '7') + "\r\n" + threeSamples
            << false;
        QTest::newRow("endless first line") << QByteArray(2 << 20, 'T') << false;
        QTest::newRow("save, Stop pressed as the bar moves") << QByteArray() << false;
        QTest::newRow("save, Stop pressed while events run") << QByteArray() << true;
    }

    void stopEndsEveryFileLoop()
    {
        QFETCH(QByteArray, content);
        const QByteArray previous = realTimeHeader + threeSamples;
        const bool save = content.isEmpty();
        const QString file = writeFile(path(QStringLiteral("stop.csv")), save ? previous : content);
        QFETCH(bool, fromPump);
        RecordingProgress progress;
        progress.onJob = [&](int position) {
            if (!fromPump)
                stopRequested = save ? position == 499 : progress.positions.size() == 3;
        };
        if (fromPump)
            m_pump->schedule(35, [] { stopRequested = true; });
        ClassData loaded;
        QVERIFY(save ? !recorded(QList<float>(1000, 20.0f))->saveFileData(file, &progress)
                     : !loaded.loadFileData(file, &progress));
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Stopped.")});
        QVERIFY(!stopRequested);
        QVERIFY(std::is_sorted(progress.positions.begin(), progress.positions.end()));
        if (!save) {
            QCOMPARE(progress.positions.size(), 3);
            return;
        }
        QCOMPARE(readFile(file), previous);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("stop.csv")});
    }

    void saveFailureSaysWhyAndWhere_data()
    {
        QTest::addColumn<QString>("target");
        // Largest file the save may write, in bytes; 0 for no limit, below 0 that many bytes short
        // of the whole file.
        QTest::addColumn<int>("sizeLimit");
        // The message, with <file> for the target's path and <folder> for its folder.
        QTest::addColumn<QString>("expected");
        const QString disabled = QStringLiteral("File is disabled for overwrite.\r");
        const QString full = QStringLiteral("There is not enough space on the disk to save the "
                                            "file:\r<file>");
        const QString kept = QStringLiteral("\rThe previous file is kept unchanged.");
        QTest::newRow("disk full, over an existing file") << "kept.csv" << 20000 << full + kept;
        QTest::newRow("disk full at the last bytes") << "kept.csv" << -10 << full + kept;
        QTest::newRow("folder without write permission")
            << "locked/out.csv" << 0 << disabled + "You have no permission to write to:\r<folder>";
        QTest::newRow("missing folder")
            << "missing/deeper/out.csv" << 0 << "This folder does not exist:\r<folder>";
        QTest::newRow("folder of the path is a file")
            << "plain.txt/sub/out.csv" << 0 << disabled + "<file>";
        QTest::newRow("target is a folder") << "folder" << 0 << disabled + "<file>";
    }

    // A full disk is a file-size limit in a child process: the write really fails there.
    void saveFailureSaysWhyAndWhere()
    {
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, expected);
        const QByteArray previous = realTimeHeader + threeSamples;
        writeFile(path(QStringLiteral("kept.csv")), previous);
        writeFile(path(QStringLiteral("plain.txt")), "plain\r\n");
        QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
        QDir(m_dir->path()).mkdir(QStringLiteral("locked"));
        // Permissions do not stop root; the kernel's own folders do.
        const QString file = target.startsWith(QLatin1String("locked/")) && geteuid() == 0
                                 ? QStringLiteral("/sys/out.csv")
                                 : path(target);
        const QString locked = path(QStringLiteral("locked"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        expected.replace(QLatin1String("<file>"), file);
        expected.replace(QLatin1String("<folder>"), QFileInfo(file).absolutePath());
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);

        auto data = recorded(QList<float>(6000, 20.0f));
        if (sizeLimit < 0) {
            QBuffer whole;
            whole.open(QIODevice::WriteOnly);
            QVERIFY(data->saveFileDataPrim(whole, nullptr));
            sizeLimit += int(whole.size());
        }
        // The child reports what it showed in a file of its own folder.
        QTemporaryDir reportDir;
        const QString reportPath = reportDir.filePath(QStringLiteral("report"));
        const pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            if (sizeLimit > 0)
                setrlimit(RLIMIT_FSIZE, &limit);
            const bool saved = data->saveFileData(file);
            const QByteArray report = m_prompter->texts().join(u'\n').toUtf8();
            _exit(!saved && !writeFile(reportPath, report).isEmpty() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the save did not fail");
        QCOMPARE(QString::fromUtf8(readFile(reportPath)), expected);
        QCOMPARE(readFile(path(QStringLiteral("kept.csv"))), previous);
        QCOMPARE(readFile(path(QStringLiteral("plain.txt"))), QByteArray("plain\r\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), before);
        for (const char *folder : {"folder", "locked"})
            QVERIFY(QDir(path(QLatin1String(folder))).isEmpty(QDir::Files | QDir::Hidden));
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<RushingPump> m_pump;
};

QTEST_GUILESS_MAIN(TestClassData)
#include "test_classdata.moc"
