#include "AppState.h"
#include "ClassData.h"
#include "FakePump.h"
#include "FormMain.h"
#include "RunJournal.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QtTest>

namespace
{
struct Sample {
    double time;
    float value;
};

const double start = 46000.5; // a day count at noon
const double second = 1.0 / 86400.0;

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

// The run journal: what a crash leaves behind is offered back at the next start, whole
// samples exactly as stored.
class TestRunJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        for (auto &data : channelData)
            data.reset();
        m_folder = RunJournal::defaultFolder();
        QDir(QFileInfo(m_folder).path()).removeRecursively();
        m_pump = std::make_unique<FakePump>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_sim = std::make_unique<Simulator>(Simulator::LType);
        m_port = std::make_unique<SimPort>(*m_sim);
    }

    void cleanup()
    {
        for (auto &data : channelData)
            data.reset();
        m_port.reset();
        m_sim.reset();
        m_prompter.reset();
        m_pump.reset();
    }

    void leftJournalIsOfferedBack_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("channelTaken");
        QTest::addColumn<int>("expectedCh");

        QTest::newRow("accepted into its channel") << true << false << 2;
        QTest::newRow("accepted, its channel taken: first empty one") << true << true << 0;
        QTest::newRow("declined: kept as a data file") << false << false << -1;
    }

    void leftJournalIsOfferedBack()
    {
        QFETCH(bool, accept);
        QFETCH(bool, channelTaken);
        QFETCH(int, expectedCh);

        // Codes and odd values must come back exactly, not rounded to the resolution.
        const QList<Sample> samples = {{start, 21.37f},
                                       {start + 2 * second, 999997.0f},
                                       {start + 3 * second, -999999.0f},
                                       {start + 9 * second, 1234.5678f}};
        // A damaged line is skipped; a crash while writing leaves the last line cut short.
        const QString path = leaveJournal(2, samples, "46000.5001,nan\n46000.50010416,23");
        QVERIFY(!path.isEmpty());
        if (channelTaken) {
            channelData[2] = std::make_unique<ClassData>();
            channelData[2]->setRealTimeData(start, 1.0f);
        }

        m_prompter->answer(accept ? Prompter::AnswerYes : Prompter::AnswerNo);
        FormMain main(m_port.get());
        QCOMPARE(m_prompter->unexpected(), 0);
        QVERIFY(m_prompter->texts().first().contains(QStringLiteral("CH 3:Kiln, zone 2")));
        QVERIFY(m_prompter->texts().first().contains(RunJournal::recoveryFolder()));

        // Accepted or not, the journal ends as a channel data file in the recovery folder.
        QVERIFY(!QFileInfo::exists(path));
        const QStringList kept = filesIn(RunJournal::recoveryFolder(), QStringLiteral("CH3 *.csv"));
        QCOMPARE(kept.size(), 1);
        ClassData fromFile;
        QVERIFY(fromFile.loadFileData(RunJournal::recoveryFolder() + u'/' + kept.first()));
        QCOMPARE(int(fromFile.DataNo), samples.size());

        for (int ch = 0; ch < 8; ++ch) {
            if (ch == expectedCh || (channelTaken && ch == 2))
                continue;
            QVERIFY2(!channelData[ch], qPrintable(QStringLiteral("CH%1 holds data").arg(ch + 1)));
        }
        if (expectedCh < 0)
            return;
        const ClassData &run = *channelData[expectedCh];
        QCOMPARE(int(run.ChNo), expectedCh);
        QCOMPARE(run.Changed, qint16(1));
        QVERIFY(run.Untitled);
        QCOMPARE(run.Title, QStringLiteral("Kiln, zone 2"));
        QCOMPARE(run.Emissivity, 0.95f);
        QCOMPARE(int(run.DataNo), samples.size());
        for (int i = 0; i < samples.size(); ++i) {
            QCOMPARE(run.getDataDate0(i), samples[i].time);
            QCOMPARE(run.getDataY(i), samples[i].value);
        }
        QCOMPARE(run.getDataX(3), 9.0);
        QVERIFY(main.MenuFileItem[2]->isEnabled());
    }

    void runGoingOnOrWithoutSamplesAsksNothing()
    {
        // Another process's run holds its journal open and locked.
        ClassData header;
        header.StartDateTime = start;
        RunJournal live(m_folder);
        QVERIFY(live.open(header));
        live.append(start, 20.0f);
        // A run that died in its timer-start wait, before its first sample.
        const QString empty = leaveJournal(4, {});

        FormMain main(m_port.get());
        QVERIFY(m_prompter->shown().isEmpty());
        QVERIFY(QFileInfo::exists(live.path()));
        QVERIFY(!QFileInfo::exists(empty));
        QVERIFY(filesIn(RunJournal::recoveryFolder(), QStringLiteral("*")).isEmpty());
        live.finish();
        QVERIFY(!QFileInfo::exists(live.path()));
    }

private:
    // Writes the journal a run into `ch` leaves when the process dies after `samples`.
    QString leaveJournal(int ch, const QList<Sample> &samples, const QByteArray &tornTail = {})
    {
        ClassData header;
        header.ChNo = qint16(ch);
        header.Unit = 0;
        header.Resolution = 0;
        header.Emissivity = 0.95f;
        header.Title = QStringLiteral("Kiln, zone 2");
        header.StartDateTime = samples.isEmpty() ? start : samples.first().time;
        QString path;
        {
            RunJournal journal(m_folder);
            if (!journal.open(header))
                return {};
            for (const Sample &s : samples)
                journal.append(s.time, s.value);
            path = journal.path();
        } // gone without finish(), as in a crash
        if (!tornTail.isEmpty()) {
            QFile file(path);
            file.open(QIODevice::Append);
            file.write(tornTail);
        }
        return path;
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
};

QTEST_MAIN(TestRunJournal)
#include "tst_runjournal.moc"
