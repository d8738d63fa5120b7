#include "LinkRig.h"

#include "ClassInstrument.h"
#include "CommError.h"
#include "DateTime.h"
#include "FakePump.h"
#include "ScriptedPrompter.h"
#include "Strings.h"

#include <QtTest>

namespace
{

const QString noPort = QStringLiteral("Cannot use this COMPort.\rPlease use other COMPorts.");
const QString rtRefused = QStringLiteral(
    "This Model cannot use Real Time Measurement mode.\nPlease use Read Memory Data mode.");
const QString memRefused = QStringLiteral(
    "This Model cannot use Read Memory Data mode.\nPlease use Real Time Measurement mode.");
const QString replyWrong = QStringLiteral("Reply is wrong.");
const QString clearQuestion = QStringLiteral("Clear all memory data.\r ");

// What the instrument could answer to "TYPE".
enum Identity { Laboratory, Field, Unexpected };

// A main window's instrument operations on a simulated instrument.
struct InstrumentRig : LinkRig {
    explicit InstrumentRig(Identity identity = Laboratory)
        : LinkRig(identity == Field ? Simulator::FType : Simulator::LType)
    {
        if (identity == Unexpected)
            sim.setFault(Simulator::WrongReply, -1, QStringLiteral("TYPE"));
    }

    // The command lines the instrument received, without the wake-up lines.
    QStringList commands() const
    {
        QStringList out;
        for (const QString &line : sim.received()) {
            if (!line.isEmpty())
                out << line;
        }
        return out + port.overridden;
    }

    ClassInstrument instrument{link};
};

void inBracket(InstrumentRig &rig, const std::function<void()> &work, int *code)
{
    *code = 0;
    rig.link.showCommDialog();
    try {
        rig.link.PowerOn();
        work();
    } catch (const CommError &error) {
        *code = error.code;
    }
    rig.link.PowerOff();
    rig.link.hideCommDialog();
}

MeasSettingRecord sendable()
{
    MeasSettingRecord r;
    r.Precision = 1;
    r.Unit = 0;
    r.EmissivityStr = QStringLiteral("Steel:0.95");
    r.EmissivityValue = 0.95f;
    r.ScaleZero = -20.0f;
    r.ScaleFull = 300.0f;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Identity)

class TestInstrument : public QObject
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

    void typeCheckFitsInstrumentToMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Identity>("identity");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("field");
        QTest::newRow("real-time, L-type") << 0 << Laboratory << 0 << QString() << false;
        QTest::newRow("real-time, F-type")
            << 0 << Field << CommError::WrongType << rtRefused << true;
        QTest::newRow("real-time, unexpected") << 0 << Unexpected << 0 << QString() << false;
        QTest::newRow("memory, F-type") << 1 << Field << 0 << QString() << true;
        QTest::newRow("memory, L-type")
            << 1 << Laboratory << CommError::WrongType << memRefused << false;
        QTest::newRow("memory, unexpected")
            << 1 << Unexpected << CommError::WrongType << memRefused << false;
    }
    void typeCheckFitsInstrumentToMode()
    {
        QFETCH(int, mode);
        QFETCH(Identity, identity);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(bool, field);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(identity);
        programMode = qint16(mode);
        fieldTypeConnected = !field;
        int raised = -1;
        inBracket(
            rig, [&] { rig.instrument.confirmModelType(); }, &raised);
        QCOMPARE(raised, code);
        QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(fieldTypeConnected, field);
    }

    void confirmConnectionTellsWhatIsConnected_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Identity>("identity");
        QTest::addColumn<QString>("message");
        const QString right = QStringLiteral("Connection is right");
        const QString wrongItem = QStringLiteral("Connected item is wrong.");
        QTest::newRow("real-time, L-type") << 0 << Laboratory << right;
        QTest::newRow("real-time, F-type")
            << 0 << Field
            << QStringLiteral("Connection is right. But cannot be used in Real Time Measurement "
                              "mode.\rPlease use in Read Memory Data mode.");
        QTest::newRow("real-time, unexpected") << 0 << Unexpected << wrongItem;
        QTest::newRow("memory, F-type") << 1 << Field << right;
        QTest::newRow("memory, L-type")
            << 1 << Laboratory
            << QStringLiteral("Connection is right, but cannot be used in Read Memory Data "
                              "mode.\rPlease use in Real Time Measurement mode.");
        QTest::newRow("memory, unexpected") << 1 << Unexpected << wrongItem;
    }
    void confirmConnectionTellsWhatIsConnected()
    {
        QFETCH(int, mode);
        QFETCH(Identity, identity);
        QFETCH(QString, message);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(identity);
        programMode = qint16(mode);
        int dialogAtMessage = -1;
        prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });

        rig.instrument.confirmConnection();

        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(dialogAtMessage, int(LinkHost::NoDialog));
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.sim.awake());
        QCOMPARE(rig.commands(), (QStringList{QStringLiteral("TYPE"), QStringLiteral("off")}));
    }

    void confirmConnectionReportsFailures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no reply, cancelled") << QStringLiteral("silent")
                                             << QStringList{QStringLiteral("No reply. (TYPE) "),
                                                            QStringLiteral("Connection is wrong.")};
        QTest::newRow("port cannot be opened") << QStringLiteral("port") << QStringList{noPort};
        QTest::newRow("stopped") << QStringLiteral("stop")
                                 << QStringList{QStringLiteral("Stopped. (TYPE) "),
                                                QStringLiteral("Stopped.")};
    }
    void confirmConnectionReportsFailures()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, messages);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        if (fault == QLatin1String("silent")) {
            rig.sim.setFault(Simulator::Silence, -1, QStringLiteral("TYPE"));
            prompter.answer(Prompter::AnswerCancel);
        } else if (fault == QLatin1String("port")) {
            rig.port.failNextOpen(SerialPort::NotFound);
        } else {
            // After the wake-up wait, before the reply.
            pump.schedule(2010, [] { stopRequested = true; });
        }

        rig.instrument.confirmConnection();

        QCOMPARE(prompter.texts(), messages);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.host.shown, int(LinkHost::NoDialog));
    }

    void receiveTakesInstrumentSettings()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        rig.sim.setSettings({1, 1, 0.87f, -30, 400});

        QVERIFY(rig.instrument.receiveSettings());

        QCOMPARE(MeasSetting.Precision, qint16(1));
        QCOMPARE(MeasSetting.Unit, qint16(1));
        QCOMPARE(MeasSetting.EmissivityValue, 0.87f);
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("0.87"));
        QCOMPARE(MeasSetting.ScaleZero, -30.0f);
        QCOMPARE(MeasSetting.ScaleFull, 400.0f);
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsInStep));
        QCOMPARE(rig.commands(),
                 (QStringList{QStringLiteral("TYPE"), QStringLiteral(":"), QStringLiteral(":"),
                              QStringLiteral("RESOL"), QStringLiteral("EMI"),
                              QStringLiteral("ZERO"), QStringLiteral("off")}));
        QVERIFY(prompter.shown().isEmpty());
        QVERIFY(!rig.port.isOpen());
    }

    // Settings received before the failing step stay in the record.
    void receiveFailsOnWrongReply_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("precision");
        QTest::addColumn<float>("emissivity");
        QTest::newRow("resolution 0.10")
            << QStringLiteral("RESOL") << QStringLiteral("Resolution:0.10") << 0 << 1.0f;
        QTest::newRow("emissivity after resolution")
            << QStringLiteral("EMI") << QStringLiteral("?") << 1 << 1.0f;
        QTest::newRow("scale after emissivity")
            << QStringLiteral("ZERO") << QStringLiteral("Full 500") << 1 << 0.87f;
    }
    void receiveFailsOnWrongReply()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QFETCH(int, precision);
        QFETCH(float, emissivity);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        rig.sim.setSettings({1, 0, 0.87f, -30, 400});
        rig.port.replyOnce(command, reply);

        QVERIFY(!rig.instrument.receiveSettings());

        QCOMPARE(prompter.texts(), QStringList{replyWrong});
        QCOMPARE(int(MeasSetting.Precision), precision);
        QCOMPARE(MeasSetting.EmissivityValue, emissivity);
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsUnknown));
        QVERIFY(!rig.port.isOpen());
    }

    void sendWritesSettingsAndBacksThemUp()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        MeasSetting = sendable();

        QVERIFY(rig.instrument.sendSettings());

        QCOMPARE(rig.commands(),
                 (QStringList{QStringLiteral("TYPE"), QStringLiteral(":"), QStringLiteral(":"),
                              QStringLiteral(";"), QStringLiteral("RESOL   1"),
                              QStringLiteral("EMI 0.95"), QStringLiteral("ZERO -20"),
                              QStringLiteral("FS 300"), QStringLiteral("BACKUP"),
                              QStringLiteral("off")}));
        const Simulator::InstrumentSettings kept = rig.sim.backedUp();
        QCOMPARE(kept.precision, 1);
        QCOMPARE(kept.emissivity, 0.95f);
        QCOMPARE(kept.scaleZero, -20);
        QCOMPARE(kept.scaleFull, 300);
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsInStep));
        QVERIFY(prompter.shown().isEmpty());
    }

    void sendChecksEveryReply_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::newRow("emissivity echo differs")
            << QStringLiteral("EMI 0.95") << QStringLiteral("Emi  0.96");
        QTest::newRow("resolution not acknowledged")
            << QStringLiteral("RESOL   1") << QStringLiteral("?");
        QTest::newRow("zero not acknowledged")
            << QStringLiteral("ZERO -20") << QStringLiteral("Error");
        QTest::newRow("FS answered with FS")
            << QStringLiteral("FS 300") << QStringLiteral("FS 300");
    }
    void sendChecksEveryReply()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        MeasSetting = sendable();
        rig.port.replyOnce(command, reply);

        QVERIFY(!rig.instrument.sendSettings());

        QCOMPARE(prompter.texts(), QStringList{replyWrong});
        QVERIFY(!rig.commands().contains(QStringLiteral("BACKUP")));
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsUnknown));
        QVERIFY(!rig.port.isOpen());
    }

    void sendRefusesWhenUnitsDiffer()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        rig.sim.setSettings({0, 1, 0.95f, -20, 500});
        MeasSetting = sendable();

        QVERIFY(!rig.instrument.sendSettings());

        QCOMPARE(prompter.texts(),
                 QStringList{
                     QStringLiteral("Setting unit and the infrared thermometer unit is different.\n"
                                    "Confirm the unit of the infrared thermometer again.")});
        QCOMPARE(MeasSetting.Unit, qint16(1));
        QVERIFY(!rig.commands().contains(QStringLiteral("RESOL   1")));
        QVERIFY(!rig.port.isOpen());
    }

    void memoryWindowSendsResolution01WithoutScaleOrUnitCheck()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Field);
        programMode = 1;
        rig.sim.setSettings({1, 1, 0.50f, -20, 500});
        MeasSetting = sendable();

        QVERIFY(rig.instrument.sendSettingsFromMemoryWindow());

        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Setting is completed.")});
        QCOMPARE(rig.commands(),
                 (QStringList{QStringLiteral("TYPE"), QStringLiteral(":"), QStringLiteral(":"),
                              QStringLiteral(";"), QStringLiteral("RESOL 0.1"),
                              QStringLiteral("EMI 0.95"), QStringLiteral("BACKUP"),
                              QStringLiteral("off")}));
        QCOMPARE(rig.sim.backedUp().precision, 0);
        QCOMPARE(MeasSetting.Unit, qint16(1));
    }

    void memoryWindowReportsFailedSend()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Field);
        programMode = 1;
        MeasSetting = sendable();
        rig.port.replyOnce(QStringLiteral("EMI 0.95"), QStringLiteral("Emi  0.50"));

        QVERIFY(!rig.instrument.sendSettingsFromMemoryWindow());

        QCOMPARE(prompter.texts(), (QStringList{replyWrong, QStringLiteral("Setting is failed.")}));
    }

    void japaneseEditionRefusesFahrenheit()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig;
        rig.sim.setSettings({0, 1, 0.95f, -20, 500});
        languageFlag = 0;
        initLanguage();
        const bool received = rig.instrument.receiveSettings();
        const QString refusal = loadString(1798);
        setLanguage();
        initLanguage();

        QVERIFY(!received);
        QCOMPARE(prompter.texts(), QStringList{refusal});
        QCOMPARE(MeasSetting.Unit, qint16(0));
        QVERIFY(!rig.commands().contains(QStringLiteral("RESOL")));
    }

    void clockSettingSendsDateTimeAndBackup()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Field);
        programMode = 1;
        const QDateTime when(QDate(2026, 3, 5), QTime(14, 7, 9));
        int dialogAtMessage = -1;
        prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });

        QVERIFY(rig.instrument.setClock(toDayCount(when)));

        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Clock setting is completed.")});
        QCOMPARE(dialogAtMessage, int(LinkHost::NoDialog));
        QCOMPARE(rig.commands(),
                 (QStringList{QStringLiteral("TYPE"), QStringLiteral("DATE 26/03/05"),
                              QStringLiteral("TIME 14:07:09"), QStringLiteral("BACKUP"),
                              QStringLiteral("off")}));
        const qint64 drift = when.secsTo(rig.sim.clock());
        QVERIFY2(drift >= 0 && drift < 10, qPrintable(QString::number(drift)));
    }

    void clockSettingWithWrongDateReplyStillSendsTheRest()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Field);
        programMode = 1;
        rig.sim.setFault(Simulator::WrongReply, 1, QStringLiteral("DATE"));

        QVERIFY(!rig.instrument.setClock(toDayCount(QDate(2026, 3, 5), QTime(14, 7, 9))));

        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Clock setting is failed.")});
        QCOMPARE(rig.commands(),
                 (QStringList{QStringLiteral("TYPE"), QStringLiteral("DATE 26/03/05"),
                              QStringLiteral("TIME 14:07:09"), QStringLiteral("BACKUP"),
                              QStringLiteral("off")}));
    }

    void clockSettingRefusesLaboratoryType()
    {
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Laboratory);
        programMode = 1;

        QVERIFY(!rig.instrument.setClock(toDayCount(QDate(2026, 3, 5))));

        QCOMPARE(prompter.texts(), QStringList{memRefused});
        QCOMPARE(rig.commands(), (QStringList{QStringLiteral("TYPE"), QStringLiteral("off")}));
        QVERIFY(!rig.port.isOpen());
    }

    void clearMemoryData_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("confirmed")
            << true << QString()
            << QStringList{clearQuestion, QStringLiteral("Clear Memory Data is completed.")}
            << true;
        QTest::newRow("cancelled") << false << QString() << QStringList{clearQuestion} << false;
        QTest::newRow("unexpected reply")
            << true << QStringLiteral("Memory Data cleared.")
            << QStringList{clearQuestion, QStringLiteral("Clear Memory Data is failed.")} << false;
    }
    void clearMemoryData()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, reply);
        QFETCH(QStringList, messages);
        QFETCH(bool, cleared);
        FakePump pump;
        ScriptedPrompter prompter;
        InstrumentRig rig(Field);
        programMode = 1;
        rig.sim.fillDemoMemory();
        if (!reply.isEmpty())
            rig.port.replyOnce(QStringLiteral("CLR"), reply);
        prompter.answer(confirm ? Prompter::AnswerOk : Prompter::AnswerCancel);

        QCOMPARE(rig.instrument.clearMemoryData(), cleared);

        QCOMPARE(prompter.texts(), messages);
        QCOMPARE(prompter.shown().first().buttons, Prompter::OkCancel);
        QCOMPARE(rig.sim.memory().isEmpty(), cleared);
        QCOMPARE(rig.port.openCount(), confirm ? 1 : 0);
        QVERIFY(!rig.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestInstrument)
#include "test_instrument.moc"
