#include "LinkRig.h"

#include "CommError.h"
#include "Strings.h"

#include <QtTest>

namespace
{

int raisedCode(const std::function<void()> &work)
{
    try {
        work();
    } catch (const CommError &error) {
        return error.code;
    }
    return 0;
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

    // A reply split across reads is joined; one that reads "TimeOut" is a reply all the same.
    void bracketWakesInstrumentAsksAndPutsItToSleep()
    {
        LinkRig rig;
        rig.sim.setFault(Simulator::SplitReply, 1, QStringLiteral("TYPE"));
        // Answered by the port instead: never reaches the instrument.
        rig.port.replyOnce(QStringLiteral("RESOL"), QStringLiteral("TimeOut"));
        rig.wake();
        QVERIFY(rig.port.isOpen() && rig.port.requestToSend() && rig.port.dataTerminalReady());
        QCOMPARE(rig.port.written(), QByteArray("\r\n\r\n\r\n\r\n"));
        QVERIFY(rig.sim.awake());

        rig.link.SendCommand(QStringLiteral("TYPE"));
        QCOMPARE(rig.link.lastReply(), QStringLiteral("L-type"));
        QVERIFY(rig.link.rxBuffer().isEmpty());
        rig.link.SendCommand(QStringLiteral("RESOL"));
        QCOMPARE(rig.link.lastReply(), QStringLiteral("TimeOut"));

        rig.link.PowerOff();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.sim.awake());
        QVERIFY(rig.port.written().endsWith("TYPE\r\noff\r\n\r"));
        QVERIFY(rig.prompter.shown().isEmpty());
    }

    void twoRepliesInOneReadAreReturnedInTurn()
    {
        LinkRig rig;
        rig.sim.setFault(Simulator::TwoReplies, 1, QStringLiteral("TYPE"));
        rig.link.PowerOn();
        rig.link.flushInput();
        rig.link.SendCommand0(QStringLiteral("TYPE"));
        rig.pump.advance(1000); // both lines are waiting when ReadRS first looks

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
        QTest::newRow("line waiting and stop pressed") << false << 0LL << "L-type\r\n" << true;
        QTest::newRow("stop pressed as time runs out") << true << 3000LL << "TimeOut  " << true;
        QTest::newRow("stop pressed while waiting") << true << 1000LL << "Cansel  " << false;
        QTest::newRow("nothing comes") << true << -1LL << "TimeOut  " << false;
    }
    void readChecksLineThenTimeOutThenStop()
    {
        QFETCH(bool, silent);
        QFETCH(qint64, stopAtMs);
        LinkRig rig;
        rig.link.PowerOn();
        if (silent)
            rig.sim.setFault(Simulator::Silence, 1, QStringLiteral("TYPE"));
        rig.link.SendCommand0(QStringLiteral("TYPE"));
        if (!silent) {
            rig.pump.advance(1000);
            stopRequested = true;
        } else if (stopAtMs >= 0) {
            rig.pump.schedule(stopAtMs, [] { stopRequested = true; });
        }
        QTEST(rig.link.ReadRS(), "result");
        QTEST(stopRequested, "stopAfter");
    }

    void timeOutThenRetryResendsAfterFlushingInput()
    {
        LinkRig rig;
        // The first reply lacks its LF: it never completes, and must not stick to the next.
        rig.sim.setFault(Simulator::NoLineFeed, 1, QStringLiteral("RESOL"));
        rig.wake();
        rig.host.calls.clear();
        rig.prompter.answer(Prompter::AnswerRetry);

        rig.link.SendCommand(QStringLiteral("RESOL"));

        QCOMPARE(rig.link.lastReply(), QStringLiteral("Resolution:0.1"));
        QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("No reply. (RESOL) ")});
        QCOMPARE(rig.prompter.shown().first().buttons, Prompter::RetryCancel);
        QCOMPARE(rig.host.calls, (QStringList{"front", "hideProgress", "showProgress 1"}));
        // Woken again before the command went out again.
        QCOMPARE(rig.sim.received().mid(4), (QStringList{"RESOL", "", "", "", "", "RESOL"}));
        QVERIFY(rig.port.isOpen());
    }

    // Both end the bracket: one message, no reply kept, the instrument asleep.
    void commandEndsWithOneMessage_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no reply, cancelled") << true << CommError::NoReply << "No reply. (RESOL) ";
        QTest::newRow("stopped") << false << CommError::Stopped << "Stopped. (RESOL) ";
    }
    void commandEndsWithOneMessage()
    {
        QFETCH(bool, silent);
        QFETCH(QString, message);
        LinkRig rig;
        rig.wake();
        if (silent) {
            rig.sim.setFault(Simulator::Silence, -1, QStringLiteral("RESOL"));
            rig.prompter.answer(Prompter::AnswerCancel);
        } else {
            // The instrument needs 30 ms and more to answer; Stop comes first.
            rig.pump.schedule(10, [] { stopRequested = true; });
        }

        QTEST(raisedCode([&] { rig.link.SendCommand(QStringLiteral("RESOL")); }), "code");
        QCOMPARE(rig.prompter.texts(), QStringList{message});
        QVERIFY(!stopRequested);
        QVERIFY(rig.link.lastReply().isEmpty());
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.written().endsWith("RESOL\r\noff\r\n\r"));
    }

    void retryOfReadingSendsExtraColonAndWaitsASecond()
    {
        LinkRig rig;
        rig.sim.setFault(Simulator::Silence, 1, QStringLiteral(":"));
        rig.wake();
        rig.port.writes.clear();
        rig.prompter.answer(Prompter::AnswerRetry);

        rig.link.SendCommand(QStringLiteral(":"));

        QStringList lines;
        for (const auto &w : rig.port.writes)
            lines << QString::fromLatin1(w.second);
        QCOMPARE(lines, (QStringList{":\r\n", "\r\n", "\r\n", "\r\n", "\r\n", ":\r\n", ":\r\n"}));
        const qint64 gap = rig.port.writes.at(6).first - rig.port.writes.at(5).first;
        QVERIFY2(gap >= 1000, qPrintable(QString::number(gap)));
        // The extra reading was flushed: one reading remains, without its line end.
        QVERIFY(rig.link.lastReply().endsWith(QLatin1String(" C")));
        QVERIFY(!rig.link.lastReply().contains(QLatin1Char('\r')));
    }

    // A pulled adapter gets the question at once; Retry while it is still out tells that the
    // port cannot be used and asks again, so the operation lives on until Retry with the
    // adapter back or Cancel.
    void pulledAdapterIsAskedForUntilBackOrCancelled_data()
    {
        QTest::addColumn<int>("secondAnswer");
        QTest::addColumn<int>("code");
        QTest::newRow("plugged back, retry") << int(Prompter::AnswerRetry) << 0;
        QTest::newRow("still out, cancel") << int(Prompter::AnswerCancel) << CommError::NoReply;
    }
    void pulledAdapterIsAskedForUntilBackOrCancelled()
    {
        QFETCH(int, secondAnswer);
        const bool back = secondAnswer == Prompter::AnswerRetry;
        LinkRig rig;
        rig.wake();
        rig.port.setUnplugged(true);
        const qint64 pulledAt = rig.pump.monotonicMs();
        qint64 askedAt = -1;
        rig.prompter.answer(Prompter::AnswerRetry);
        rig.prompter.answer(Prompter::Answer(secondAnswer));
        rig.prompter.onNextMessage([&] {
            askedAt = rig.pump.monotonicMs();
            // Plugged back in while the port message shows.
            rig.prompter.onNextMessage([&] { rig.port.setUnplugged(!back); });
        });

        QTEST(raisedCode([&] { rig.link.SendCommand(QStringLiteral("RESOL")); }), "code");
        QVERIFY2(askedAt - pulledAt < 1000, qPrintable(QString::number(askedAt - pulledAt)));
        const QString noReply = QStringLiteral("No reply. (RESOL) ");
        QCOMPARE(rig.prompter.texts(),
                 (QStringList{noReply, "Cannot use this COMPort.\rPlease use other COMPorts.",
                              noReply}));
        QCOMPARE(rig.port.openCount(), back ? 2 : 1);
        QCOMPARE(rig.port.isOpen(), back);
        QCOMPARE(rig.link.lastReply(), back ? QStringLiteral("Resolution:0.1") : QString());
        if (back)
            QCOMPARE(rig.sim.received().mid(4), (QStringList{"", "", "", "", "RESOL"}));
    }

    void selectPortKeepsIndexWithinCom1ToCom4()
    {
        LinkRig rig;
        for (const auto &[index, selected] : {std::pair{4, 0}, {-1, 0}, {3, 3}}) {
            rig.link.selectPort(2);
            rig.link.selectPort(index);
            QCOMPARE(int(Settings.comPortIndex), selected);
            QCOMPARE(rig.link.portIndex(), selected);
            QCOMPARE(rig.host.selectedPort, selected);
            QCOMPARE(rig.port.device(), QStringLiteral("/dev/sim%1").arg(selected));
        }
    }

    // The failed bracket's PowerOff then sends nothing and does not wait.
    void openFailureShowsOneMessage_data()
    {
        const QString noPort =
            QStringLiteral("Cannot use this COMPort.\rPlease use other COMPorts.");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("in use") << int(SerialPort::InUse) << noPort;
        QTest::newRow("permission denied")
            << int(SerialPort::PermissionDenied)
            << noPort + QStringLiteral("\rAdd your user to the 'dialout' group and log in again.");
    }
    void openFailureShowsOneMessage()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        LinkRig rig;
        rig.port.failNextOpen(SerialPort::OpenError(error));
        rig.link.showCommDialog();
        QCOMPARE(raisedCode([&] { rig.link.PowerOn(); }), CommError::PortFailed);
        QCOMPARE(rig.prompter.texts(), QStringList{text});

        const qint64 ms = rig.pump.monotonicMs();
        const qint64 pumps = rig.pump.pumps();
        rig.link.PowerOff();
        QCOMPARE(rig.pump.monotonicMs(), ms);
        QCOMPARE(rig.pump.pumps(), pumps);
        QVERIFY(rig.port.written().isEmpty());
        QCOMPARE(rig.port.openCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
