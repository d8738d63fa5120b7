#include "ClassData.h"
#include "ClassInstrument.h"
#include "DateTime.h"
#include "Format.h"
#include "InstrumentRig.h"
#include "RunEngine.h"
#include "SampleData.h"
#include "Settings.h"
#include "SheetWriter.h"
#include "Strings.h"

#include <QtTest>

#include <cmath>

namespace
{
const QDateTime clockStart(QDate(2026, 3, 1), QTime(10, 0, 0));

double secondsAfterClockStart(int seconds)
{
    return toDayCount(clockStart.addSecs(seconds));
}

qint64 wholeSeconds(double span)
{
    return std::llround(span * 86400.0);
}

// What a command line would print: every reading and every stored sample.
class RecordingView : public RunView
{
public:
    void dispTemp(float value, double time) override
    {
        readings.append({time, value});
        if (readings.size() == stopAtReading && engine)
            engine->stop();
    }
    void sampleStored(int ch, double time, float value) override
    {
        channels.insert(ch);
        samples.append({time, value});
        if (samples.size() == stopAtSample && engine)
            engine->stop();
    }
    void notice(const QString &text) override { notices << text; }
    // Once a second while a timer start waits: whether the instrument is awake then.
    void setWaitClock(const QString &text) override
    {
        lastWaitClock = text;
        if (sim)
            awakeWhileWaiting << sim->awake();
    }

    QList<QPair<double, float>> readings;
    const Simulator *sim = nullptr;
    QList<bool> awakeWhileWaiting;
    QString lastWaitClock;
    QList<QPair<double, float>> samples;
    QSet<int> channels;
    QStringList notices;
    // Presses Stop (as Ctrl+C does) once this many readings or samples arrived.
    RunEngine *engine = nullptr;
    int stopAtReading = -1;
    int stopAtSample = -1;
};
} // namespace

Q_DECLARE_METATYPE(RunSettings)

// The measurement engine with no window: the simulated instrument, the fake clock and a view
// that records what a command line would print.
class TestRunEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        MeasSetting = MeasSettingRecord();
        MaxDataNo = 32000;
        clearChannels();
        m_rig = std::make_unique<InstrumentRig>(Simulator::LType, clockStart, 50);
        m_rig->sim.setSignal([](qint64 ms) { return 20.0 + (ms / 1000 % 10); });
        m_engine = std::make_unique<RunEngine>(m_rig->link, m_rig->instrument);
        m_view = RecordingView();
        m_engine->setView(&m_view);
        m_engine->journal().setFolder(m_dir.filePath(QStringLiteral("journal")));
    }

    void cleanup()
    {
        m_engine.reset();
        m_rig.reset();
        clearChannels();
    }

    void loggedRunEndsOnTimeWithEverySampleShown_data()
    {
        QTest::addColumn<RunSettings>("settings");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("spacing");
        // Seconds after the clock's start of the first sample; -1: whenever the handshake ends.
        QTest::addColumn<int>("firstSecond");
        // The last clock the timer wait showed, asleep; empty: no sleep.
        QTest::addColumn<QString>("wokeAt");

        // Channel, interval and its unit, logging time and its unit, then the timer: start
        // time, stop time and whether it stops at that time.
        QTest::newRow("5 times at 2 s")
            << RunSettings{4, 2, intervalSeconds, 5, logTimes} << 5 << 2 << -1 << QString();
        QTest::newRow("3 min at 0.5 min: the last reading is stored")
            << RunSettings{0, 0.5, intervalMinutes, 3, logMinutes} << 7 << 30 << -1 << QString();
        const double at10 = secondsAfterClockStart(10), at40 = secondsAfterClockStart(40);
        // Woken 15 s before its start.
        const QString woke = QStringLiteral("Present time : 26/03/01 10:00:25");
        QTest::newRow("timer start and stop")
            << RunSettings{0,    1,    intervalSeconds,           0, logContinuous,
                           true, at40, secondsAfterClockStart(50)}
            << 11 << 1 << 40 << woke;
        QTest::newRow("timer start for 4 times")
            << RunSettings{0, 1, intervalSeconds, 4, logTimes, true, at40, 0, false} << 4 << 1 << 40
            << woke;
        QTest::newRow("timer start 10 s ahead: no sleep")
            << RunSettings{0, 1, intervalSeconds, 4, logTimes, true, at10, 0, false} << 4 << 1 << 10
            << QString();
    }

    void loggedRunEndsOnTimeWithEverySampleShown()
    {
        QFETCH(RunSettings, settings);
        QFETCH(int, samples);
        QFETCH(int, spacing);
        QFETCH(int, firstSecond);
        settings.title = QStringLiteral("Kiln, east");
        settings.person = QStringLiteral("Ann");
        m_rig->prompter.answer(Prompter::AnswerOk); // "Connection OK?"
        m_view.sim = &m_rig->sim;
        QVERIFY(m_engine->startRealTime(settings));
        QTEST(m_view.lastWaitClock, "wokeAt");
        QVERIFY(!m_view.awakeWhileWaiting.contains(true));

        QCOMPARE(m_rig->prompter.texts(), QStringList{loadString(1702) + u'\r' + loadString(1701)});
        QVERIFY(!m_engine->measuring);
        QVERIFY(!m_rig->port.isOpen());
        const ClassData *data = channelData[settings.channel].get();
        QVERIFY(data);
        QCOMPARE(int(data->DataNo), samples);
        QCOMPARE(data->Title, settings.title);
        QCOMPARE(data->MeasPerson, settings.person);
        QCOMPARE(data->Changed, qint16(1));
        QCOMPARE(data->ChNo, qint16(settings.channel));
        if (firstSecond >= 0)
            QCOMPARE(data->StartDateTime, secondsAfterClockStart(firstSecond));
        // Every stored sample reached the view as it was stored, on whole seconds apart.
        QCOMPARE(m_view.channels, QSet<int>{settings.channel});
        QCOMPARE(m_view.samples.size(), samples);
        for (int i = 0; i < samples; ++i) {
            QCOMPARE(m_view.samples[i].first, data->getDataDate0(i));
            QCOMPARE(m_view.samples[i].second, data->getDataY(i));
            QCOMPARE(wholeSeconds(data->getDataDate0(i) - data->getDataDate0(0)),
                     qint64(i) * spacing);
        }
        // The monitor saw a reading every second of the run.
        QVERIFY(m_view.readings.size() >= (samples - 1) * spacing + 1);
        QVERIFY(m_view.notices.isEmpty());
        QVERIFY(QDir(m_engine->journal().folder()).entryList(QDir::Files).isEmpty());
    }

    void stopKeepsEverySampleAndTheWorkbook()
    {
        // Continuous logging into a workbook of a given name, stopped as Ctrl+C would stop it.
        RunSettings settings;
        settings.channel = 2;
        settings.workbook = true;
        settings.workbookPath = m_dir.filePath(QStringLiteral("kiln.xlsx"));
        SheetWriter sheet(m_dir.path());
        m_engine->setSheetLog(&sheet);
        m_view.engine = m_engine.get();
        m_view.stopAtSample = 7;
        // As a command line starts it: nothing is asked, changed settings are not sent.
        m_engine->askBeforeStart = false;
        m_rig->instrument.setSettingsState(ClassInstrument::SettingsChanged);
        QVERIFY(m_engine->startRealTime(settings));
        QCOMPARE(m_rig->prompter.texts(), QStringList());

        const ClassData &data = *channelData[2];
        QCOMPARE(data.DataNo, qint16(7));
        QCOMPARE(m_view.samples.size(), 7);
        QVERIFY(QFile::exists(settings.workbookPath));
        QVERIFY(!QFile::exists(settings.workbookPath + QStringLiteral(".rows")));
        // The finished run's statistics.
        QCOMPARE(data.StopNo, qint16(data.DataNo - 1));
        m_engine->setSheetLog(nullptr);
    }

    void monitorReadsOncePerSecondUntilStopped()
    {
        m_view.engine = m_engine.get();
        m_view.stopAtReading = 5;
        // Changed settings go to the instrument first when the user says so.
        MeasSetting.EmissivityStr = QStringLiteral("0.90");
        MeasSetting.EmissivityValue = 0.9f;
        m_rig->instrument.setSettingsState(ClassInstrument::SettingsChanged);
        m_rig->prompter.answer(Prompter::AnswerYes);
        m_rig->prompter.answer(Prompter::AnswerOk);
        QVERIFY(m_engine->MoniterStart());

        QCOMPARE(m_rig->prompter.texts(),
                 QStringList({loadString(1700), loadString(1703) + u'\r' + loadString(1701)}));
        QCOMPARE(m_rig->sim.backedUp().emissivity, 0.9f);
        QCOMPARE(m_view.readings.size(), 5);
        for (int i = 1; i < m_view.readings.size(); ++i)
            QCOMPARE(wholeSeconds(m_view.readings[i].first - m_view.readings[i - 1].first), 1);
        QVERIFY(m_view.samples.isEmpty());
        for (const auto &data : channelData)
            QVERIFY(!data);
        QVERIFY(!m_engine->monitoring);
        QVERIFY(!m_rig->port.isOpen());
        QVERIFY(!m_rig->sim.awake());
    }

    void statusRepliesStoreCodes_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<float>("code");
        QTest::newRow("Err") << int(Simulator::ErrReading) << 999997.0f;
        QTest::newRow("Error") << int(Simulator::ErrorReading) << 999997.0f;
        QTest::newRow("Lo.Batt!") << int(Simulator::LowBattery) << 999998.0f;
    }

    void statusRepliesStoreCodes()
    {
        QFETCH(int, fault);
        QFETCH(float, code);
        m_rig->sim.setFault(Simulator::Fault(fault), -1, QStringLiteral(":"));
        RunSettings settings;
        settings.logCount = 3;
        settings.logUnit = logTimes;
        m_rig->prompter.answer(Prompter::AnswerOk);
        QVERIFY(m_engine->startRealTime(settings));
        const ClassData &data = *channelData[0];
        QCOMPARE(data.DataNo, qint16(3));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(data.getDataY(i), code);
    }

    void slowReadingsAreStoredOnceEachWithoutCatchingUp()
    {
        // From the 15th second on, each reading takes 1.5 s.
        int slowReadings = 0;
        double slowFrom = 0.0;
        m_rig->pump.schedule(15000, [&] {
            slowFrom = m_rig->pump.now();
            m_rig->sim.setTrafficLog([&](bool fromHost, const QString &line) {
                if (fromHost && line == QLatin1String(":")) {
                    ++slowReadings;
                    m_rig->pump.advance(1500);
                }
            });
        });
        RunSettings settings;
        settings.logCount = 30;
        settings.logUnit = logSeconds;
        m_rig->prompter.answer(Prompter::AnswerOk);
        QVERIFY(m_engine->startRealTime(settings));
        m_rig->sim.setTrafficLog({});
        const ClassData &data = *channelData[0];
        int slowSamples = 0;
        for (int i = 1; i < data.DataNo; ++i) {
            QVERIFY(wholeSeconds(data.getDataDate0(i) - data.getDataDate0(i - 1)) >= 1);
            slowSamples += data.getDataDate0(i) > slowFrom;
        }
        QVERIFY(slowSamples >= 6);
        QVERIFY(qAbs(slowReadings - slowSamples) <= 1);
    }

    void runEndsWithItsOneMessage_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<int>("samples"); // -1: the channel stays empty
        QTest::addColumn<QString>("message");
        QTest::newRow("field type instrument") << "field" << -1 << loadString(1778);
        QTest::newRow("data set full") << "full" << 5 << loadString(1757);
        // Silent from the run's first reading on; "No reply" is answered Cancel.
        QTest::newRow("no sample") << "silent" << -1 << QStringLiteral("No reply. (:) ");
    }

    void runEndsWithItsOneMessage()
    {
        QFETCH(QString, cause);
        QFETCH(int, samples);
        struct SilenceAtStart : GraphView {
            Simulator *sim = nullptr;
            void initGraphCh(int) override
            {
                sim->setFault(Simulator::Silence, -1, QStringLiteral(":"));
            }
        } graph;
        graph.sim = &m_rig->sim;
        if (cause == "silent")
            m_engine->setGraphView(&graph);
        if (cause == "field")
            m_rig->sim.setType(Simulator::FType);
        MaxDataNo = cause == "full" ? 5 : 32000;
        RunSettings settings;
        settings.logCount = 20;
        settings.logUnit = logTimes;
        m_rig->prompter.answer(Prompter::AnswerOk);
        QCOMPARE(m_engine->startRealTime(settings), samples > 0);
        m_engine->setGraphView(nullptr);

        QTEST(m_rig->prompter.texts().value(1), "message");
        QCOMPARE(m_rig->prompter.texts().size(), 2);
        QCOMPARE(checkMeasDataExist(0) ? int(channelData[0]->DataNo) : -1, samples);
        QVERIFY(!m_engine->measuring);
        QVERIFY(!m_rig->port.isOpen());
        QVERIFY(!m_rig->sim.awake());
    }

    // The adapter pulled in the middle of a logged run and plugged back in while "No reply"
    // shows: the closed port counts as silence at once, and Retry goes on to the run's end
    // with every sample from before the gap kept.
    void runGoesOnAfterRetryWithTheAdapterBack()
    {
        RunSettings settings;
        settings.channel = 1;
        settings.intervalCount = 1;
        settings.logCount = 15;
        settings.logUnit = logSeconds;
        FakePump &pump = m_rig->pump;
        qint64 unpluggedAt = -1, askedAt = -1;
        int samplesBefore = 0;
        pump.schedule(5500, [&] {
            unpluggedAt = pump.monotonicMs();
            samplesBefore = m_view.samples.size();
            m_rig->port.setUnplugged(true);
            m_rig->prompter.onNextMessage([&] {
                askedAt = pump.monotonicMs();
                pump.advance(1500); // finding the adapter and plugging it back in
                m_rig->port.setUnplugged(false);
            });
        });
        m_rig->prompter.answer(Prompter::AnswerOk); // "Connection OK?"
        m_rig->prompter.answer(Prompter::AnswerRetry);
        QVERIFY2(m_engine->startRealTime(settings), qPrintable(m_rig->prompter.texts().join(u'|')));

        QVERIFY2(askedAt >= 0, qPrintable(m_rig->prompter.texts().join(u'|')));
        QVERIFY2(askedAt - unpluggedAt < 2500, qPrintable(QString::number(askedAt - unpluggedAt)));
        QCOMPARE(m_rig->prompter.texts().mid(1), QStringList{QStringLiteral("No reply. (:) ")});
        QVERIFY(!m_engine->measuring);
        QVERIFY(!m_rig->sim.awake());
        const ClassData &data = *channelData[1];
        QCOMPARE(int(data.DataNo), m_view.samples.size());
        // One gap, right after the samples from before the unplugging.
        QVERIFY(samplesBefore >= 2 && data.DataNo - samplesBefore >= 2);
        for (int i = 1; i < data.DataNo; ++i) {
            const qint64 step = wholeSeconds(data.getDataDate0(i) - data.getDataDate0(i - 1));
            QVERIFY2(i == samplesBefore ? step > 1 : step == 1, qPrintable(QString::number(i)));
        }
        // To its end: the last sample falls in the run's last second.
        QVERIFY(wholeSeconds(data.getDataDate0(data.DataNo - 1) - data.getDataDate0(0)) >= 13);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<InstrumentRig> m_rig;
    std::unique_ptr<RunEngine> m_engine;
    RecordingView m_view;
};

QTEST_GUILESS_MAIN(TestRunEngine)
#include "test_runengine.moc"
