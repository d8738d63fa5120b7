#include "LinkRig.h"

#include "CommError.h"
#include "FakePump.h"
#include "ScriptedPrompter.h"
#include "Strings.h"

#include <QtTest>

namespace
{

const QString noPort = QStringLiteral("Cannot use this COMPort.\rPlease use other COMPorts.");

int raisedCode(const std::function<void()> &work)
{
    try {
        work();
    } catch (const CommError &error) {
        return error.code;
    }
    return 0;
}

QStringList writtenLines(const TestPort &port)
{
    QStringList lines;
    for (const auto &w : port.writes)
        lines << QString::fromLatin1(w.second);
    return lines;
}

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }
    void init()
    {
        stopRequested = false;
        programMode = 0;
    }

    void bracketWakesInstrumentAndPutsItToSleep()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.link.showCommDialog();
        rig.link.PowerOn();
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.port.requestToSend());
        QVERIFY(rig.port.dataTerminalReady());
        QCOMPARE(rig.port.written(), QByteArray("\r\n\r\n\r\n\r\n"));
        QVERIFY(rig.sim.awake());

        rig.link.SendCommand(QStringLiteral("TYPE"));
        QCOMPARE(rig.link.lastReply(), QStringLiteral("L-type"));

        rig.link.PowerOff();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.sim.awake());
        QVERIFY(rig.port.written().endsWith("TYPE\r\noff\r\n\r"));
        QVERIFY(prompter.shown().isEmpty());
    }

    void replySplitAcrossReadsIsJoined()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.sim.setFault(Simulator::SplitReply, 1, QStringLiteral("RESOL"));
        rig.link.PowerOn();
        rig.link.SendCommand(QStringLiteral("RESOL"));
        QCOMPARE(rig.link.lastReply(), QStringLiteral("Resolution:0.1"));
        QVERIFY(rig.link.rxBuffer().isEmpty());
        QVERIFY(prompter.shown().isEmpty());
    }

    void twoRepliesInOneReadAreReturnedInTurn()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.sim.setFault(Simulator::TwoReplies, 1, QStringLiteral("TYPE"));
        rig.link.PowerOn();
        rig.link.flushInput();
        rig.link.SendCommand0(QStringLiteral("TYPE"));
        pump.advance(1000); // both lines are waiting when ReadRS first looks

        QCOMPARE(rig.link.ReadRS(), QStringLiteral("L-type\r\n"));
        QCOMPARE(rig.link.rxBuffer(), QStringLiteral("L-type\r\n"));
        QCOMPARE(rig.link.ReadRS(), QStringLiteral("L-type\r\n"));
        QVERIFY(rig.link.rxBuffer().isEmpty());
    }

    // A complete line wins over the time-out, and the time-out over Stop; only a Stop that
    // ends the read is consumed.
    void readChecksLineThenTimeOutThenStop_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<qint64>("stopAtMs");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("stopAfter");
        QTest::newRow("line waiting and stop pressed")
            << false << qint64(0) << QStringLiteral("L-type\r\n") << true;
        QTest::newRow("stop pressed as time runs out")
            << true << qint64(3000) << QStringLiteral("TimeOut  ") << true;
        QTest::newRow("stop pressed while waiting")
            << true << qint64(1000) << QStringLiteral("Cansel  ") << false;
        QTest::newRow("nothing comes")
            << true << qint64(-1) << QStringLiteral("TimeOut  ") << false;
    }
    void readChecksLineThenTimeOutThenStop()
    {
        QFETCH(bool, silent);
        QFETCH(qint64, stopAtMs);
        QFETCH(QString, result);
        QFETCH(bool, stopAfter);
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.link.PowerOn();
        if (silent)
            rig.sim.setFault(Simulator::Silence, 1, QStringLiteral("TYPE"));
        rig.link.SendCommand0(QStringLiteral("TYPE"));
        if (!silent) {
            pump.advance(1000);
            stopRequested = true;
        } else if (stopAtMs >= 0) {
            pump.schedule(stopAtMs, [] { stopRequested = true; });
        }
        QCOMPARE(rig.link.ReadRS(), result);
        QCOMPARE(stopRequested, stopAfter);
    }

    void timeOutThenRetryResendsAfterFlushingInput()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        // The first reply lacks its LF: it never completes, and must not stick to the next.
        rig.sim.setFault(Simulator::NoLineFeed, 1, QStringLiteral("RESOL"));
        rig.link.showCommDialog();
        rig.link.PowerOn();
        rig.host.calls.clear();
        prompter.answer(Prompter::AnswerRetry);

        rig.link.SendCommand(QStringLiteral("RESOL"));

        QCOMPARE(rig.link.lastReply(), QStringLiteral("Resolution:0.1"));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("No reply. (RESOL) ")});
        QCOMPARE(prompter.shown().first().buttons, Prompter::RetryCancel);
        QCOMPARE(rig.host.calls,
                 (QStringList{QStringLiteral("front"), QStringLiteral("hideProgress"),
                              QStringLiteral("showProgress 1")}));
        // Woken again before the command went out again.
        QCOMPARE(rig.sim.received().mid(4),
                 (QStringList{QStringLiteral("RESOL"), QString(), QString(), QString(), QString(),
                              QStringLiteral("RESOL")}));
        QVERIFY(rig.port.isOpen());
    }

    void timeOutThenCancelRaisesNoReplyWithOneMessage()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.sim.setFault(Simulator::Silence, -1, QStringLiteral("RESOL"));
        rig.link.showCommDialog();
        rig.link.PowerOn();
        prompter.answer(Prompter::AnswerCancel);

        QCOMPARE(raisedCode([&] { rig.link.SendCommand(QStringLiteral("RESOL")); }),
                 CommError::NoReply);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("No reply. (RESOL) ")});
        QVERIFY(rig.link.lastReply().isEmpty());
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.sim.awake());
        QVERIFY(rig.port.written().endsWith("RESOL\r\noff\r\n\r"));
    }

    void stopBeforeReplyEndsCommandAsStopped()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.link.showCommDialog();
        rig.link.PowerOn();
        // The instrument needs 30 ms and more to answer; Stop comes first.
        pump.schedule(10, [] { stopRequested = true; });

        QCOMPARE(raisedCode([&] { rig.link.SendCommand(QStringLiteral("RESOL")); }),
                 CommError::Stopped);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Stopped. (RESOL) ")});
        QVERIFY(!stopRequested);
        QVERIFY(rig.link.lastReply().isEmpty());
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.sim.received().contains(QStringLiteral("RESOL")));
    }

    void retryOfReadingSendsExtraColonAndWaitsASecond()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.sim.setFault(Simulator::Silence, 1, QStringLiteral(":"));
        rig.link.showCommDialog();
        rig.link.PowerOn();
        rig.port.writes.clear();
        prompter.answer(Prompter::AnswerRetry);

        rig.link.SendCommand(QStringLiteral(":"));

        const QString colon = QStringLiteral(":\r\n"), empty = QStringLiteral("\r\n");
        QCOMPARE(writtenLines(rig.port),
                 (QStringList{colon, empty, empty, empty, empty, colon, colon}));
        const qint64 extra = rig.port.writes.at(5).first;
        const qint64 resent = rig.port.writes.at(6).first;
        QVERIFY2(resent - extra >= 1000, qPrintable(QString::number(resent - extra)));
        // The extra reading was flushed: one reading remains, without its line end.
        QVERIFY(rig.link.lastReply().endsWith(QLatin1String(" C")));
        QVERIFY(!rig.link.lastReply().contains(QLatin1Char('\r')));
    }

    void powerOffWithClosedPortSendsNothingAndDoesNotWait()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        const qint64 ms = pump.monotonicMs();
        const qint64 pumps = pump.pumps();
        rig.link.PowerOff();
        QCOMPARE(pump.monotonicMs(), ms);
        QCOMPARE(pump.pumps(), pumps);
        QVERIFY(rig.port.written().isEmpty());
        QCOMPARE(rig.port.openCount(), 0);
    }

    void selectPortKeepsIndexWithinCom1ToCom4_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("selected");
        QTest::newRow("7") << 7 << 0;
        QTest::newRow("4") << 4 << 0;
        QTest::newRow("-1") << -1 << 0;
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("1") << 1 << 1;
    }
    void selectPortKeepsIndexWithinCom1ToCom4()
    {
        QFETCH(int, index);
        QFETCH(int, selected);
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.link.selectPort(2);
        rig.link.selectPort(index);
        QCOMPARE(int(Settings.comPortIndex), selected);
        QCOMPARE(rig.link.portIndex(), selected);
        QCOMPARE(rig.host.selectedPort, selected);
        QCOMPARE(rig.port.device(), QStringLiteral("/dev/sim%1").arg(selected));
    }

    void openFailureShowsOneMessage_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("not found") << int(SerialPort::NotFound) << noPort;
        QTest::newRow("in use") << int(SerialPort::InUse) << noPort;
        QTest::newRow("permission denied")
            << int(SerialPort::PermissionDenied)
            << noPort + QStringLiteral("\rAdd your user to the 'dialout' group and log in again.");
    }
    void openFailureShowsOneMessage()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.port.failNextOpen(SerialPort::OpenError(error));
        rig.link.showCommDialog();
        QCOMPARE(raisedCode([&] { rig.link.PowerOn(); }), CommError::PortFailed);
        QCOMPARE(prompter.texts(), QStringList{text});
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.written().isEmpty());
    }

    void replyReadingTimeOutIsAReplyNotATimeOut()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        LinkRig rig;
        rig.link.PowerOn();
        rig.port.replyOnce(QStringLiteral("TYPE"), QStringLiteral("TimeOut"));
        rig.link.SendCommand(QStringLiteral("TYPE"));
        QCOMPARE(rig.link.lastReply(), QStringLiteral("TimeOut"));
        QVERIFY(prompter.shown().isEmpty());
    }

    void timeoutTicksCountWholeSecondsAndWrapAfter32000()
    {
        FakePump pump;
        LinkRig rig;
        rig.link.setTimeOut();
        QCOMPARE(int(rig.link.timeoutTicks()), 0);
        pump.advance(2999);
        QCOMPARE(int(rig.link.timeoutTicks()), 2);
        pump.advance(32000 * 1000 - 2999);
        QCOMPARE(int(rig.link.timeoutTicks()), 32000);
        pump.advance(1000);
        QCOMPARE(int(rig.link.timeoutTicks()), 0);
        pump.advance(5000);
        rig.link.offTimeOut();
        pump.advance(7000);
        QCOMPARE(int(rig.link.timeoutTicks()), 5);
        rig.link.setTimeOut();
        QCOMPARE(int(rig.link.timeoutTicks()), 0);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
