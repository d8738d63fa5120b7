#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "DateTime.h"
#include "FakePump.h"
#include "LinkHost.h"
#include "PortDevices.h"
#include "PtyServer.h"
#include "QtSerialPort.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QtTest>

#include <unistd.h>
#include <utility>

namespace
{

// The main window as the link sees it: which dialog shows, and what was asked of it. A dialog
// that shows clears Stop, as the real ones do.
class FakeLinkHost : public LinkHost
{
public:
    int shownProgressDialog() const override { return shown; }
    void hideProgressDialogs() override { note("hideProgress", NoDialog); }
    void showProgressDialog(int which) override
    {
        note("showProgress " + QString::number(which), which);
    }
    void bringToFront() override { note("front", shown); }
    void showCommDialog() override { note("showComm", MessageDialog); }
    void hideCommDialog() override { note("hideComm", shown == MessageDialog ? NoDialog : shown); }
    void portSelected(int index) override { selectedPort = index; }
    void note(const QString &call, int nowShown)
    {
        stopRequested = stopRequested && !call.startsWith(QLatin1String("show"));
        shown = nowShown;
        calls << call;
    }

    int shown = NoDialog;
    int selectedPort = -1;
    QStringList calls;
};

// The simulator's port with, where the simulator cannot produce it, a reply of the test's
// own in place of the instrument's.
class TestPort : public SimPort
{
public:
    explicit TestPort(Simulator &sim) : SimPort(sim) {}

    // The next `command` line is answered with `reply` (line end added) instead.
    void replyOnce(const QString &command, const QString &reply)
    {
        m_replies.insert(command, reply);
    }

    qint64 write(const QByteArray &data) override
    {
        const QString command = QString::fromLatin1(data).chopped(data.endsWith("\r\n") ? 2 : 0);
        if (!isOpen() || !m_replies.contains(command))
            return SimPort::write(data);
        m_extra += m_replies.take(command).toLatin1() + "\r\n";
        overridden << command;
        return data.size();
    }

    QByteArray readAll() override
    {
        return isOpen() ? SimPort::readAll() + std::exchange(m_extra, {}) : QByteArray();
    }

    QStringList overridden;

private:
    QHash<QString, QString> m_replies;
    QByteArray m_extra;
};

// What the instrument could answer to "TYPE".
enum Identity { Laboratory, Field, Unexpected };

// One main window's link and instrument operations on a simulated instrument on COM1, in
// simulated time, with every message recorded.
struct LinkRig {
    explicit LinkRig(Identity identity = Laboratory, int mode = 0)
        : sim(identity == Field ? Simulator::FType : Simulator::LType)
    {
        programMode = qint16(mode);
        if (identity == Unexpected)
            sim.setFault(Simulator::WrongReply, -1, QStringLiteral("TYPE"));
        for (int i = 0; i < 4; ++i)
            Settings.portDevices[i] = QStringLiteral("/dev/sim%1").arg(i);
        link.selectPort(0);
    }

    // Opens the communication bracket and wakes the instrument.
    void wake()
    {
        link.showCommDialog();
        link.PowerOn();
    }

    // The command lines the instrument received, without the wake-up lines.
    QStringList commands() const
    {
        QStringList out = sim.received();
        out.removeAll(QString());
        return out + port.overridden;
    }

    FakePump pump;
    ScriptedPrompter prompter;
    Simulator sim;
    TestPort port{sim};
    FakeLinkHost host;
    ClassLink link{port, host};
    ClassInstrument instrument{link};
};

// What the simulated instrument, awake, sends in the second after `command`, read every 10 ms.
QByteArray ask(LinkRig &rig, const QByteArray &command)
{
    rig.sim.setAwake(true);
    rig.sim.receive(command + "\r\n");
    QByteArray out;
    for (int ms = 0; ms < 1000; ms += 10) {
        rig.pump.advance(10);
        out += rig.sim.takeOutput();
    }
    return out;
}

int raisedCode(const std::function<void()> &work)
{
    try {
        work();
    } catch (const CommError &error) {
        return error.code;
    }
    return 0;
}

const QString memRefused = QStringLiteral(
    "This Model cannot use Read Memory Data mode.\nPlease use Real Time Measurement mode.");
const QString replyWrong = QStringLiteral("Reply is wrong.");

MeasSettingRecord sendable()
{
    MeasSettingRecord r;
    r.Precision = 1;
    r.EmissivityStr = QStringLiteral("Steel:0.85");
    r.EmissivityValue = 0.85f;
    r.ScaleZero = -30.0f;
    r.ScaleFull = 300.0f;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Identity)
using Links = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Links)

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
        fieldTypeConnected = false;
        MeasSetting = MeasSettingRecord();
    }
    void cleanup()
    {
        for (QString &device : Settings.portDevices)
            device.clear();
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
        // A stray line feed is a line of its own.
        rig.port.replyOnce(QStringLiteral("RESOL"), QStringLiteral("\nResolution:0.1"));
        rig.link.SendCommand0(QStringLiteral("RESOL"));
        QCOMPARE(rig.link.ReadRS(), QStringLiteral("\n"));
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
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no reply, cancelled")
            << true << CommError::NoReply << QStringList{"No reply. (RESOL) "};
        QTest::newRow("stopped") << false << CommError::Stopped << QStringList{"Stopped. (RESOL) "};
    }
    void commandEndsWithOneMessage()
    {
        QFETCH(bool, silent);
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
        QTEST(rig.prompter.texts(), "messages");
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
        QStringList lines;
        QList<qint64> at;
        rig.sim.setTrafficLog([&](bool fromHost, const QString &line) {
            if (fromHost) {
                lines << line;
                at << rig.pump.monotonicMs();
            }
        });
        rig.prompter.answer(Prompter::AnswerRetry);

        rig.link.SendCommand(QStringLiteral(":"));

        QCOMPARE(lines, (QStringList{":", "", "", "", "", ":", ":"}));
        QVERIFY2(at[6] - at[5] >= 1000, qPrintable(QString::number(at[6] - at[5])));
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

    // The fitting pairs run end to end in the windows' tests; the other misfits share their
    // branches with these. The message comes after the bracket closed.
    void confirmConnectionTellsWhatIsConnected_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Identity>("identity");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("real-time, F-type")
            << 0 << Field << QString()
            << QStringList{"Connection is right. But cannot be used in Real Time Measurement "
                           "mode.\rPlease use in Read Memory Data mode."};
        QTest::newRow("memory, L-type")
            << 1 << Laboratory << QString()
            << QStringList{"Connection is right, but cannot be used in Read Memory Data mode.\r"
                           "Please use in Real Time Measurement mode."};
        QTest::newRow("memory, unexpected")
            << 1 << Unexpected << QString() << QStringList{"Connected item is wrong."};
        QTest::newRow("no reply, cancelled")
            << 0 << Laboratory << "silent"
            << QStringList{"No reply. (TYPE) ", "Connection is wrong."};
        const QString noPort =
            QStringLiteral("Cannot use this COMPort.\rPlease use other COMPorts.");
        QTest::newRow("port in use") << 0 << Laboratory << "in use" << QStringList{noPort};
        QTest::newRow("no access to the port")
            << 0 << Laboratory << "denied"
            << QStringList{noPort + "\rAdd your user to the 'dialout' group and log in again."};
        QTest::newRow("stopped") << 0 << Laboratory << "stop"
                                 << QStringList{"Stopped. (TYPE) ", "Stopped."};
    }
    void confirmConnectionTellsWhatIsConnected()
    {
        QFETCH(int, mode);
        QFETCH(Identity, identity);
        QFETCH(QString, fault);
        LinkRig rig(identity, mode);
        int dialogAtMessage = -1;
        rig.prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });
        if (fault == QLatin1String("silent")) {
            rig.sim.setFault(Simulator::Silence, -1, QStringLiteral("TYPE"));
            rig.prompter.answer(Prompter::AnswerCancel);
        } else if (fault == QLatin1String("in use") || fault == QLatin1String("denied")) {
            rig.port.failNextOpen(fault == QLatin1String("denied") ? SerialPort::PermissionDenied
                                                                   : SerialPort::InUse);
        } else if (fault == QLatin1String("stop")) {
            // After the wake-up wait, before the reply.
            rig.pump.schedule(2010, [] { stopRequested = true; });
        }

        rig.instrument.confirmConnection();

        QTEST(rig.prompter.texts(), "messages");
        if (fault.isEmpty()) {
            QCOMPARE(dialogAtMessage, int(LinkHost::NoDialog));
            QCOMPARE(rig.commands(), (QStringList{"TYPE", "off"}));
        }
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.host.shown, int(LinkHost::NoDialog));
        // A bracket that never opened ends without a word to the port or a wait.
        if (rig.port.openCount() == 0)
            QVERIFY(rig.port.written().isEmpty() && rig.pump.monotonicMs() < 1000);
    }

    // What was sent comes back when received; either brings the settings in step.
    void settingsGoToTheInstrumentAndBack()
    {
        LinkRig rig;
        MeasSetting = sendable();
        QVERIFY(rig.instrument.sendSettings());
        QCOMPARE(rig.sim.backedUp().scaleZero, -30);
        MeasSetting = MeasSettingRecord();
        rig.instrument.setSettingsState(ClassInstrument::SettingsUnknown);
        QVERIFY(rig.instrument.receiveSettings());

        QCOMPARE(rig.commands(),
                 (QStringList{"TYPE", ":", ":", ";", "RESOL   1", "EMI 0.85", "ZERO -30", "FS 300",
                              "BACKUP", "off", "TYPE", ":", ":", "RESOL", "EMI", "ZERO", "off"}));
        QCOMPARE(MeasSetting.Precision, qint16(1));
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("0.85"));
        QCOMPARE(MeasSetting.EmissivityValue, 0.85f);
        QCOMPARE(MeasSetting.ScaleZero, -30.0f);
        QCOMPARE(MeasSetting.ScaleFull, 300.0f);
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsInStep));
        QVERIFY(rig.prompter.shown().isEmpty());
        QVERIFY(!rig.port.isOpen());
    }

    // Either way, a wrong reply ends it: nothing is backed up, and settings received before
    // the failing step stay in the record (resolution, emissivity).
    void transferFailsOnWrongReply_data()
    {
        QTest::addColumn<int>("mode"); // 0 send, 1 send from the memory window, 2 receive
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("kept");
        const QStringList wrong{replyWrong};
        QTest::newRow("emissivity echo differs") << 0 << "EMI 0.85"
                                                 << "Emi  0.86" << wrong << "1 0.85";
        QTest::newRow("resolution not acknowledged") << 0 << "RESOL   1"
                                                     << "?" << wrong << "1 0.85";
        QTest::newRow("zero not acknowledged") << 0 << "ZERO -30"
                                               << "Error" << wrong << "1 0.85";
        QTest::newRow("FS answered with FS") << 0 << "FS 300"
                                             << "FS 300" << wrong << "1 0.85";
        QTest::newRow("memory window")
            << 1 << "EMI 0.85"
            << "Emi  0.50" << QStringList{replyWrong, "Setting is failed."} << "1 0.85";
        QTest::newRow("resolution 0.10") << 2 << "RESOL"
                                         << "Resolution:0.10" << wrong << "0 1";
        QTest::newRow("emissivity after resolution") << 2 << "EMI"
                                                     << "?" << wrong << "1 1";
        QTest::newRow("scale after emissivity") << 2 << "ZERO"
                                                << "Full 500" << wrong << "1 0.87";
    }
    void transferFailsOnWrongReply()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        QFETCH(QString, reply);
        LinkRig rig(mode == 1 ? Field : Laboratory, mode == 1);
        rig.sim.setSettings({1, 0, 0.87f, -30, 400});
        if (mode < 2)
            MeasSetting = sendable();
        rig.port.replyOnce(command, reply);

        QVERIFY(mode == 0   ? !rig.instrument.sendSettings()
                : mode == 1 ? !rig.instrument.sendSettingsFromMemoryWindow()
                            : !rig.instrument.receiveSettings());

        QTEST(rig.prompter.texts(), "messages");
        QTEST(QStringLiteral("%1 %2").arg(MeasSetting.Precision).arg(MeasSetting.EmissivityValue),
              "kept");
        QVERIFY(!rig.commands().contains(QStringLiteral("BACKUP")));
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsUnknown));
        QVERIFY(!rig.port.isOpen());
    }

    // The unit is never sent: the instrument's stays in the record. The memory window sends
    // no scale and always 0.1 degree.
    void onlyRealTimeSendRefusesOtherUnit_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("real-time")
            << 0
            << QStringList{"Setting unit and the infrared thermometer unit is different.\n"
                           "Confirm the unit of the infrared thermometer again."}
            << QStringList{"TYPE", ":", ":", ";", "off"};
        QTest::newRow("memory window")
            << 1 << QStringList{"Setting is completed."}
            << QStringList{"TYPE", ":", ":", ";", "RESOL 0.1", "EMI 0.85", "BACKUP", "off"};
    }
    void onlyRealTimeSendRefusesOtherUnit()
    {
        QFETCH(int, mode);
        LinkRig rig(mode == 0 ? Laboratory : Field, mode);
        rig.sim.setSettings({0, 1, 0.50f, -20, 500});
        MeasSetting = sendable();

        const bool sent = mode == 0 ? rig.instrument.sendSettings()
                                    : rig.instrument.sendSettingsFromMemoryWindow();

        QCOMPARE(sent, mode == 1);
        QTEST(rig.prompter.texts(), "messages");
        QTEST(rig.commands(), "commands");
        QCOMPARE(MeasSetting.Unit, qint16(1));
    }

    void japaneseEditionRefusesFahrenheit()
    {
        LinkRig rig;
        rig.sim.setSettings({0, 1, 0.95f, -20, 500});
        languageFlag = 0;
        initLanguage();
        const bool received = rig.instrument.receiveSettings();
        const QString refusal = loadString(1798);
        setLanguage();
        initLanguage();

        QVERIFY(!received);
        QCOMPARE(rig.prompter.texts(), QStringList{refusal});
        QCOMPARE(MeasSetting.Unit, qint16(0));
        QVERIFY(!rig.commands().contains(QStringLiteral("RESOL")));
    }

    // Only the field type's clock is set. There every step is sent even after a miss, and the
    // result comes after the dialog is gone.
    void clockSettingNeedsFieldTypeAndSendsEveryStep()
    {
        LinkRig rig(Laboratory, 1);
        const double when = toDayCount(QDate(2026, 3, 5), QTime(14, 7, 9));
        QVERIFY(!rig.instrument.setClock(when));
        rig.sim.setType(Simulator::FType);
        rig.sim.setFault(Simulator::WrongReply, 1, QStringLiteral("DATE"));
        int dialogAtMessage = -1;
        rig.prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });

        QVERIFY(!rig.instrument.setClock(when));

        QCOMPARE(rig.prompter.texts(), (QStringList{memRefused, "Clock setting is failed."}));
        QCOMPARE(dialogAtMessage, int(LinkHost::NoDialog));
        QCOMPARE(rig.commands(), (QStringList{"TYPE", "off", "TYPE", "DATE 26/03/05",
                                              "TIME 14:07:09", "BACKUP", "off"}));
        QVERIFY(!rig.port.isOpen());
    }

    void clearingNeedsConsentAndTheExactReply()
    {
        LinkRig rig(Field, 1);
        rig.sim.fillDemoMemory();
        rig.prompter.answer(Prompter::AnswerCancel);
        QVERIFY(!rig.instrument.clrMemData());
        QCOMPARE(rig.prompter.shown().first().buttons, Prompter::OkCancel);
        QCOMPARE(rig.port.openCount(), 0);

        rig.prompter.answer(Prompter::AnswerOk);
        rig.port.replyOnce(QStringLiteral("CLR"), QStringLiteral("Memory Data cleared."));
        QVERIFY(!rig.instrument.clrMemData());
        QCOMPARE(rig.prompter.texts(),
                 (QStringList{"Clear all memory data.\r ", "Clear all memory data.\r ",
                              "Clear Memory Data is failed."}));
        QVERIFY(!rig.port.isOpen());
    }

    // The simulated instrument itself, as the host sees it.
    // Commands separated by "|"; the reply to the last one. The host reads the scale from
    // characters 6-8 and 16-18, so the blanks count. The instrument tests cover the replies
    // to well-formed commands.
    void conversationEndsInReply_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<QByteArray>("reply");
        const int L = Laboratory, F = Field;
        auto row = [](const char *name, int type, const char *commands, const char *reply) {
            QTest::newRow(name) << type << QByteArray(commands) << QByteArray(reply).append("\r\n");
        };
        row("unknown", L, "HELLO", "?");
        row("resolution refused", L, "RESOL   1|RESOL 0.5|RESOL", "Resolution:1");
        row("emissivity rounded", L, "EMI 0.876", "Emi  0.88");
        row("emissivity below range", L, "EMI 0.05", "Emi  0.10");
        row("scale short numbers", L, "ZERO -5|FS 0|ZERO", "Zero  -5 Full    0");
        row("scale rounded", L, "ZERO 12.6|FS 99.4|ZERO", "Zero  13 Full   99");
        row("scale clamped in C", L, "ZERO -70|FS 600|ZERO", "Zero -50 Full  500");
        row("no 29 February 1999", F, "DATE 99/02/29", "Error");
    }
    void conversationEndsInReply()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, commands);
        LinkRig rig{Identity(type)};
        QByteArray last;
        for (const QByteArray &command : commands.split('|'))
            last = ask(rig, command);
        QTEST(last, "reply");
    }

    void readingFollowsSignalInUnitAndResolution_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QByteArray>("reading");
        QTest::newRow("half away from zero") << 25.25 << 0 << 0 << QByteArray("  25.3 C\r\n");
        QTest::newRow("whole degrees") << 25.5 << 0 << 1 << QByteArray("  26 C\r\n");
        QTest::newRow("negative near zero") << -0.04 << 0 << 0 << QByteArray("   0.0 C\r\n");
        QTest::newRow("top of range") << 500.0 << 0 << 0 << QByteArray(" 500.0 C\r\n");
        QTest::newRow("bottom of range F") << -50.0 << 1 << 1 << QByteArray(" -58 F\r\n");
        QTest::newRow("over range F") << 600.0 << 1 << 1 << QByteArray("+OVER\r\n");
        QTest::newRow("under range") << -50.1 << 0 << 0 << QByteArray("-OVER\r\n");
    }
    void readingFollowsSignalInUnitAndResolution()
    {
        QFETCH(double, celsius);
        QFETCH(int, unit);
        QFETCH(int, precision);
        LinkRig rig;
        rig.sim.setSettings({precision, unit, 0.95f, -20, 500});
        rig.sim.setSignal([celsius](qint64) { return celsius; });
        QTEST(ask(rig, ":"), "reading");
    }

    // 10 bits a character at 2400 baud: the 16 characters of this reply end 25/6 ms apart,
    // rounded, whatever the pace the host reads at.
    void replyLeavesAtLinePace()
    {
        LinkRig rig;
        rig.sim.setAwake(true);
        rig.sim.receive("RESOL\r\n");
        QByteArray joined;
        QList<int> arrivals;
        for (int ms = 1; ms <= 200; ++ms) {
            rig.pump.advance(1);
            const QByteArray part = rig.sim.takeOutput();
            joined += part;
            arrivals += QList<int>(part.size(), ms);
        }
        QCOMPARE(joined, QByteArray("Resolution:0.1\r\n"));
        QCOMPARE(arrivals.last() - arrivals.first(), 63);
    }

    // The devices COM1..COM4 reach, and the real port on a pseudo-terminal served by the
    // simulator, in real time on the real pump.
    void portsAreOrderedStably_data()
    {
        QTest::addColumn<Links>("byId");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QStringList>("order");
        // Names without a directory are in /dev.
        auto dev = [](QStringList names) {
            for (QString &name : names)
                name = name.startsWith('/') ? name : QStringLiteral("/dev/") + name;
            return names;
        };
        const QString ftdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0");
        const QString prolific = QStringLiteral("/dev/serial/by-id/usb-Prolific_2303-if00-port0");
        QTest::newRow("on-board ports come last, numbers in order")
            << Links{} << dev({"ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "ttyUSB0"})
            << dev({"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS2", "ttyS10"});
        QTest::newRow("adapters by their by-id names first, once")
            << Links{{prolific, "/dev/ttyUSB0"}, {ftdi, "/dev/ttyUSB1"}}
            << dev({"ttyS0", "ttyUSB0", "ttyUSB1", "ttyACM0"})
            << dev({ftdi, prolific, "ttyACM0", "ttyS0"});
        QTest::newRow("other ports between ACM and on-board")
            << Links{} << dev({"ttyS0", "ttyAMA0", "ttyACM0"})
            << dev({"ttyACM0", "ttyAMA0", "ttyS0"});
    }
    void portsAreOrderedStably()
    {
        QFETCH(Links, byId);
        QFETCH(QStringList, ports);
        QTEST(orderPortDevices(byId, ports), "order");
    }

    // A run's choice wins over the settings file's, which wins over the ports present; an index
    // outside COM1..COM4 selects COM1.
    void portChoiceStaysWithinCom1ToCom4()
    {
        const QStringList present = automaticPortDevices();
        QCOMPARE(portDevice(0), present.value(0));
        QCOMPARE(portDevice(9), portDevice(0));
        Settings.portDevices[2] = QStringLiteral("/dev/ttyUSB7");
        QCOMPARE(portMenuLabel(2), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        setPortDeviceForRun(2, QStringLiteral("/dev/pts/9"));
        QCOMPARE(portDevice(2), QStringLiteral("/dev/pts/9"));
        setPortDeviceForRun(2, QString());
        QCOMPARE(portDevice(2), QStringLiteral("/dev/ttyUSB7"));
        if (present.size() < 4)
            QCOMPARE(portMenuLabel(3), QStringLiteral("COM4 (none)"));
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

    // The port must open again after the application closed it.
    void bracketRunsOverPseudoTerminal()
    {
        ScriptedPrompter prompter;
        Simulator sim;
        PtyServer server(sim);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QtSerialPort port;
        FakeLinkHost host;
        ClassLink link(port, host);
        Settings.portDevices[0] = server.slavePath();
        link.selectPort(0);
        link.PowerOn();
        QVERIFY(port.isOpen() && sim.awake());
        link.SendCommand(QStringLiteral("TYPE"));
        QCOMPARE(link.lastReply(), QStringLiteral("L-type"));
        link.SendCommand(QStringLiteral("RESOL"));
        QCOMPARE(link.lastReply(), QStringLiteral("Resolution:0.1"));
        link.PowerOff();
        QVERIFY(!port.isOpen());
        // "off" left before the port closed.
        QVERIFY(!sim.awake());
        QCOMPARE(sim.received(), (QStringList{"", "", "", "", "TYPE", "RESOL", "off"}));
        QVERIFY(prompter.shown().isEmpty());
        QVERIFY(port.open());
    }

    // The port cannot open, or it was open and the simulator quits, or the cable is pulled and
    // the next write is the first to know: the port ends closed.
    void portFailuresAreTold_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("no device") << "missing" << int(SerialPort::NotFound);
        QTest::newRow("open elsewhere") << "busy" << int(SerialPort::InUse);
        QTest::newRow("no access") << "denied" << int(SerialPort::PermissionDenied);
        QTest::newRow("simulator gone") << "gone" << -1;
        QTest::newRow("unplugged, then written to") << "unplugged" << -1;
    }
    void portFailuresAreTold()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        Simulator sim;
        auto server = std::make_unique<PtyServer>(sim);
        QVERIFY2(server->start(), qPrintable(server->errorString()));
        QTemporaryDir dir;
        QtSerialPort first;
        QtSerialPort port;
        port.setDevice(server->slavePath());
        first.setDevice(server->slavePath());
        if (error < 0) {
            QVERIFY(port.open());
            if (kind == QLatin1String("unplugged")) {
                server->unplug();
                QCOMPARE(port.write("TYPE\r\n"), qint64(-1));
            } else {
                server.reset();
            }
            QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 10000);
            return;
        }
        if (kind == QLatin1String("missing")) {
            port.setDevice(dir.filePath(QStringLiteral("ttyUSB9")));
        } else if (kind == QLatin1String("busy")) {
            QVERIFY(first.open());
        } else {
            if (::geteuid() == 0)
                QSKIP("root may open any device");
            const QString path = writeFile(dir.filePath(QStringLiteral("ttyS9")), {});
            QVERIFY(QFile::setPermissions(path, {}));
            port.setDevice(path);
        }
        QVERIFY(!port.open());
        QVERIFY(!port.isOpen());
        QCOMPARE(int(port.openError()), error);
        QVERIFY(!port.errorText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
