#include "ClassInstrument.h"
#include "FakePump.h"
#include "FormDialog.h"
#include "FormGraph.h"
#include "FormMeasStart.h"
#include "FormMon.h"
#include "FormTable.h"
#include "FormTimerSet.h"
#include "Format.h"
#include "MainWindowFixture.h"
#include "MeasTime.h"
#include "RunJournal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>
#include <optional>

namespace
{
const QDateTime clockStart(QDate(2026, 3, 1), QTime(10, 0, 0));

// A port on the simulator whose readings can be made slower than the one-second tick.
class SlowPort : public SimPort
{
public:
    SlowPort(Simulator &sim, FakePump &pump) : SimPort(sim), m_pump(pump) {}

    qint64 write(const QByteArray &data) override
    {
        if (data == ":\r\n") {
            ++readings;
            if (readingMs > 0)
                m_pump.advance(readingMs);
        }
        return SimPort::write(data);
    }

    qint64 readingMs = 0;
    int readings = 0;

private:
    FakePump &m_pump;
};

int secondOfDay(double dayCount)
{
    return int(std::llround(dayCount * 86400.0) % 86400);
}

int clockSecond(int hour, int minute, int second)
{
    return hour * 3600 + minute * 60 + second;
}
} // namespace

// The measurement engine end to end: the channel list window, its dialogs and the simulated
// instrument, on a fake clock.
class TestMeasurement : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        MeasSetting = MeasSettingRecord();
        Settings = SettingsRecord();
        m_pump = std::make_unique<FakePump>(clockStart);
        m_traffic.clear();
        openMain([this](Simulator &sim) {
            sim.setTrafficLog([this](bool fromHost, const QString &line) {
                if (fromHost)
                    m_traffic.append({m_pump->monotonicMs(), line});
            });
            auto port = std::make_unique<SlowPort>(sim, *m_pump);
            m_slow = port.get();
            return port;
        });
    }

    void cleanup()
    {
        closeMain();
        m_pump.reset();
    }

    void runStoresSamplesOnWholeSecondsAndEndsOnTime_data()
    {
        QTest::addColumn<RunPlan>("plan");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("spacing");
        // Second of the day of the first sample; -1: whenever the handshake ends.
        QTest::addColumn<int>("firstSecond");
        // "off" lines sent in the whole run; 1 means only at its end.
        QTest::addColumn<int>("offs");

        QTest::newRow("one hour at 10 s") << logging("1", 4, "10") << 361 << 10 << -1 << 1;
        QTest::newRow("Times 5 at 2 s") << logging("5", 1, "2") << 5 << 2 << -1 << 1;
        RunPlan soon;
        soon.timerStart = qMakePair(0, 10);
        soon.timerDuration = qMakePair(QStringLiteral("2"), 1);
        QTest::newRow("timer start 10 s ahead, no sleep")
            << soon << 2 << 1 << clockSecond(10, 0, 10) << 1;
        RunPlan later;
        later.timerStart = qMakePair(1, 0);
        later.timerDuration = qMakePair(QStringLiteral("3"), 1);
        QTest::newRow("timer start a minute ahead")
            << later << 3 << 1 << clockSecond(10, 1, 0) << 2;
        RunPlan stop;
        stop.timerStart = qMakePair(0, 10);
        stop.timerStop = qMakePair(0, 30);
        QTest::newRow("timer stop includes the stop second")
            << stop << 21 << 1 << clockSecond(10, 0, 10) << 1;
    }

    void runStoresSamplesOnWholeSecondsAndEndsOnTime()
    {
        QFETCH(RunPlan, plan);
        QFETCH(int, samples);
        QFETCH(int, spacing);
        QFETCH(int, firstSecond);
        m_pump->setStep(50);
        runMeasurement(2, plan);

        const QList<double> times = sampleTimes(2);
        QCOMPARE(times.size(), samples);
        for (int i = 1; i < times.size(); ++i)
            QCOMPARE(std::llround((times[i] - times[0]) * 86400.0), qint64(spacing) * i);
        if (firstSecond >= 0)
            QCOMPARE(secondOfDay(times[0]), firstSecond);
        int offs = 0;
        for (const auto &entry : m_traffic)
            offs += entry.second == QLatin1String("off");
        QTEST(offs, "offs");

        const ClassData &data = *channelData[2];
        QCOMPARE(data.Changed, qint16(1));
        QCOMPARE(data.ChNo, qint16(2));
        QCOMPARE(m_main->curCH, qint16(2));
        QCOMPARE(m_main->MSFlexGridCH->item(2, 4)->text(), QString::number(samples));
        QVERIFY(m_main->table(2) && m_main->table(2)->isVisible());
        QVERIFY(m_main->MenuFileItem[2]->isEnabled());
        QVERIFY(!m_sim->awake());
        // The run ended with its samples in memory: nothing is left to recover.
        QVERIFY(QDir(m_main->journal().folder()).entryList(QDir::Files).isEmpty());
    }

    void readingSlowerThanIntervalGivesOneSamplePerReading()
    {
        const RunPlan plan = logging("30", 2);
        int before = 0;
        double slowFrom = 0.0;
        m_pump->schedule(15000, [this, &before, &slowFrom] {
            m_slow->readingMs = 1500;
            before = m_slow->readings;
            slowFrom = m_pump->now();
        });
        runMeasurement(0, plan);

        const QList<double> times = sampleTimes(0);
        int slowSamples = 0;
        for (int i = 1; i < times.size(); ++i) {
            QVERIFY2(
                std::llround((times[i] - times[i - 1]) * 86400.0) >= 1,
                qPrintable(QStringLiteral("samples %1 and %2 share a second").arg(i - 1).arg(i)));
            slowSamples += times[i] > slowFrom;
        }
        // Once slow, every reading is due and stored once: no backlog is caught up.
        QVERIFY(slowSamples >= 6);
        QVERIFY(qAbs(m_slow->readings - before - slowSamples) <= 1);
    }

    void timerStartSleepsUntilFifteenSecondsBefore()
    {
        RunPlan plan;
        plan.timerStart = qMakePair(1, 0);
        plan.timerDuration = qMakePair(QStringLiteral("3"), 1); // Times
        QStringList presentTimes;
        m_pump->schedule(30500, [&presentTimes] {
            presentTimes << FormDialog::instance().Label2->text();
            QVERIFY(FormDialog::instance().isVisible());
        });
        runMeasurement(0, plan);

        // The instrument was put to sleep and woken 15 s before the start at 10:01:00.
        qint64 offMs = -1, wakeMs = -1;
        for (const auto &[ms, line] : m_traffic) {
            if (line == QLatin1String("off") && offMs < 0 && wakeMs < 0)
                offMs = ms;
            else if (line.isEmpty() && offMs >= 0 && wakeMs < 0)
                wakeMs = ms;
        }
        QVERIFY(offMs >= 0 && offMs < 15000);
        QVERIFY2(wakeMs >= 45000 && wakeMs < 47000, qPrintable(QString::number(wakeMs)));
        QCOMPARE(presentTimes, QStringList{QStringLiteral("Present time : 26/03/01 10:00:30")});
    }

    void stopDuringTimerWaitKeepsTheOldData()
    {
        auto old = std::make_unique<ClassData>();
        old->Title = QStringLiteral("Kiln");
        for (int i = 0; i < 3; ++i)
            old->setRealTimeData(45000.0 + i * oneSecond, 20.0f + i);
        old->setTimeData();
        old->Changed = 2;
        const ClassData *oldData = old.get();
        channelData[0] = std::move(old);
        m_main->dispCHRow(0);

        RunPlan plan;
        plan.timerStart = qMakePair(5, 0);
        plan.timerDuration = qMakePair(QStringLiteral("1"), 0);
        m_pump->schedule(20000, [] { FormDialog::instance().Command1->click(); });
        m_prompter->answer(Prompter::AnswerOk); // "These data will be lost. OK?"
        runMeasurement(0, plan);

        QCOMPARE(channelData[0].get(), oldData);
        QCOMPARE(oldData->DataNo, qint16(3));
        QCOMPARE(oldData->Changed, qint16(2));
        QCOMPARE(m_prompter->texts().first(),
                 QStringLiteral("CH 1:Kiln\rMeasurement data is existing in this CH.\r"
                                "These data will be lost. OK?"));
        QVERIFY(!FormDialog::instance().isVisible());
        QVERIFY(m_main->isEnabled());
    }

    void runWithoutSampleLeavesChannelEmpty()
    {
        // From the run's first reading on the instrument is silent; "No reply" is answered Cancel.
        struct SilenceAtStart : GraphView {
            Simulator *sim = nullptr;
            void initGraphCh(int) override
            {
                sim->setFault(Simulator::Silence, -1, QStringLiteral(":"));
            }
        } graph;
        graph.sim = m_sim.get();
        m_main->setGraphView(&graph);
        runMeasurement(0, RunPlan());
        m_main->setGraphView(nullptr);
        QVERIFY(!channelData[0]);
        QCOMPARE(m_main->MSFlexGridCH->item(0, 4)->text(), QString());
        QVERIFY(!m_prompter->texts().contains(QStringLiteral("Measurement error")));
    }

    void refusedInstrumentStartsNothing_data()
    {
        QTest::addColumn<bool>("fieldType");
        QTest::addColumn<QString>("message");
        QTest::newRow("other unit than the channel list")
            << false
            << QStringLiteral("Unit is different.\nThe measurement or loading is not possible.");
        QTest::newRow("field type") << true
                                    << QStringLiteral("This Model cannot use Real Time Measurement "
                                                      "mode.\nPlease use Read Memory Data mode.");
    }

    void refusedInstrumentStartsNothing()
    {
        QFETCH(bool, fieldType);
        m_main->listUnit = 0;
        Simulator::InstrumentSettings settings;
        settings.unit = 1;
        if (fieldType) {
            m_sim->setType(Simulator::FType);
            m_main->listUnit = 1;
        }
        m_sim->setSettings(settings);
        runMeasurement(0, RunPlan());
        QFETCH(QString, message);
        QCOMPARE(m_prompter->texts().mid(1), QStringList{message});
        QVERIFY(!channelData[0]);
        QVERIFY(!m_main->monitorWindow()->isVisible());
        QVERIFY(!m_sim->awake());
    }

    void changedSettingsAreSentFirst()
    {
        MeasSetting.EmissivityStr = QStringLiteral("0.90");
        MeasSetting.EmissivityValue = 0.9f;
        m_main->instrument().setSettingsState(2);
        m_prompter->answer(Prompter::AnswerYes); // "Settings were changed. Send settings?"
        runMeasurement(0, logging("1", 1));
        QCOMPARE(m_prompter->texts().first(),
                 QStringLiteral("Settings were changed. Send settings?"));
        QCOMPARE(m_sim->backedUp().emissivity, 0.9f);
        QCOMPARE(channelData[0]->Emissivity, 0.9f);
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
    }

    void monitorShowsReadingsAndStoresNothing()
    {
        m_sim->setSignal([](qint64) { return 31.25; });
        QString shown;
        m_pump->schedule(8000, [this, &shown] {
            shown = m_main->monitorWindow()->TextTemp->text();
            QVERIFY(!m_main->Command1[0]->isEnabled());
            QVERIFY(!m_main->MenuTop[0]->menuAction()->isEnabled());
        });
        pressMonitorStopAfter(10000);
        m_prompter->answer(Prompter::AnswerOk);
        m_main->Command1[0]->click();

        QCOMPARE(shown, QStringLiteral("31.3°C"));
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Now, start monitor.\r"
                                                                 "Connection OK?")});
        for (const auto &data : channelData)
            QVERIFY(!data);
        QVERIFY(!m_main->engine().monitoring);
        QVERIFY(!m_port->isOpen());
        QVERIFY(m_main->Command1[0]->isEnabled());
    }

    void closingIsRefusedDuringRun()
    {
        bool closed = true;
        m_pump->schedule(6000, [this, &closed] { closed = m_main->close(); });
        pressMonitorStopAfter(8000);
        runMeasurement(0, RunPlan());
        QVERIFY(!closed);
        QVERIFY(m_prompter->texts().contains(QStringLiteral("Cannot stop during measurement.")));
        QVERIFY(m_main->isVisible());
    }

    void graphFollowsTheRunToItsNewestSample()
    {
        m_main->MenuGraphItem[0]->trigger();
        FormGraph *graph = m_main->graph();
        QVERIFY(graph && graph->isVisible());
        graph->MenuGraphTimeItem[0]->trigger(); // 1Sec: the plot shows a few seconds only
        runMeasurement(0, logging("30", 2));

        const ClassData &data = *channelData[0];
        GraphPlot &plot = graph->plot();
        const int newest = data.getDataX(data.StopNo);
        QCOMPARE(newest, 30);
        const int x = plot.fTimeAxis(newest);
        QVERIFY2(x <= plot.plotWidth() - 1 && x > plot.plotWidth() - 61,
                 qPrintable(QString::number(x)));
        QCOMPARE(plot.image().pixel(x, plot.fYAxis(data.getDataY(data.StopNo))), qRgb(0, 0, 0));
        const QImage followed = plot.image();
        plot.refreshPlot();
        QCOMPARE(followed, plot.image());
        // Cursor A stands on the first sample, which arrived after the run began.
        QCOMPARE(graph->CurDataTable->item(0, 3)->text(), valueText(data.getDataY(0), 0));

        // The close box only hides the window; the next Graph command shows the same one.
        graph->close();
        QVERIFY(!graph->isVisible());
        m_main->MenuGraphItem[0]->trigger();
        QCOMPARE(m_main->graph(), graph);
        QVERIFY(graph->isVisible());
    }

private:
    void pressMonitorStopAfter(qint64 ms)
    {
        m_pump->schedule(ms, [this] {
            QVERIFY(m_main->monitorWindow()->isVisible());
            m_main->monitorWindow()->Command1->click();
        });
    }

    QList<double> sampleTimes(int ch) const
    {
        QList<double> times;
        if (const ClassData *data = channelData[ch].get()) {
            for (int i = 0; i < data->DataNo; ++i)
                times << data->getDataDate0(i);
        }
        return times;
    }

    std::unique_ptr<FakePump> m_pump;
    SlowPort *m_slow = nullptr;
    // Simulated ms of every line the instrument received.
    QList<QPair<qint64, QString>> m_traffic;
};

QTEST_MAIN(TestMeasurement)
#include "tst_measurement.moc"
