#include "LinkRig.h"

#include "ClassInstrument.h"
#include "CommError.h"
#include "DateTime.h"
#include "Strings.h"

#include <QtTest>

namespace
{

const QString memRefused = QStringLiteral(
    "This Model cannot use Read Memory Data mode.\nPlease use Real Time Measurement mode.");
const QString replyWrong = QStringLiteral("Reply is wrong.");
const QString clearQuestion = QStringLiteral("Clear all memory data.\r ");

// What the instrument could answer to "TYPE".
enum Identity { Laboratory, Field, Unexpected };

// A main window's instrument operations on a simulated instrument.
struct InstrumentRig : LinkRig {
    explicit InstrumentRig(Identity identity = Laboratory, int mode = 0)
        : LinkRig(identity == Field ? Simulator::FType : Simulator::LType)
    {
        programMode = qint16(mode);
        if (identity == Unexpected)
            sim.setFault(Simulator::WrongReply, -1, QStringLiteral("TYPE"));
    }

    // The command lines the instrument received, without the wake-up lines.
    QStringList commands() const
    {
        QStringList out = sim.received();
        out.removeAll(QString());
        return out + port.overridden;
    }

    ClassInstrument instrument{link};
};

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
        QTest::newRow("memory, unexpected")
            << 1 << Unexpected << QString() << QStringList{"Connected item is wrong."};
        QTest::newRow("no reply, cancelled")
            << 0 << Laboratory << "silent"
            << QStringList{"No reply. (TYPE) ", "Connection is wrong."};
        QTest::newRow("port cannot be opened")
            << 0 << Laboratory << "port"
            << QStringList{"Cannot use this COMPort.\rPlease use other COMPorts."};
        QTest::newRow("stopped") << 0 << Laboratory << "stop"
                                 << QStringList{"Stopped. (TYPE) ", "Stopped."};
    }
    void confirmConnectionTellsWhatIsConnected()
    {
        QFETCH(int, mode);
        QFETCH(Identity, identity);
        QFETCH(QString, fault);
        InstrumentRig rig(identity, mode);
        int dialogAtMessage = -1;
        rig.prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });
        if (fault == QLatin1String("silent")) {
            rig.sim.setFault(Simulator::Silence, -1, QStringLiteral("TYPE"));
            rig.prompter.answer(Prompter::AnswerCancel);
        } else if (fault == QLatin1String("port")) {
            rig.port.failNextOpen(SerialPort::NotFound);
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
    }

    // What was sent comes back when received; either brings the settings in step.
    void settingsGoToTheInstrumentAndBack()
    {
        InstrumentRig rig;
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

    // Settings received before the failing step stay in the record.
    void receiveFailsOnWrongReply_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("precision");
        QTest::addColumn<float>("emissivity");
        QTest::newRow("resolution 0.10")
            << QStringLiteral("RESOL") << "Resolution:0.10" << 0 << 1.0f;
        QTest::newRow("emissivity after resolution") << QStringLiteral("EMI") << "?" << 1 << 1.0f;
        QTest::newRow("scale after emissivity")
            << QStringLiteral("ZERO") << "Full 500" << 1 << 0.87f;
    }
    void receiveFailsOnWrongReply()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        InstrumentRig rig;
        rig.sim.setSettings({1, 0, 0.87f, -30, 400});
        rig.port.replyOnce(command, reply);

        QVERIFY(!rig.instrument.receiveSettings());

        QCOMPARE(rig.prompter.texts(), QStringList{replyWrong});
        QTEST(int(MeasSetting.Precision), "precision");
        QTEST(MeasSetting.EmissivityValue, "emissivity");
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsUnknown));
        QVERIFY(!rig.port.isOpen());
    }

    void sendChecksEveryReply_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("messages");
        const QStringList wrong{replyWrong};
        QTest::newRow("emissivity echo differs")
            << 0 << QStringLiteral("EMI 0.85") << "Emi  0.86" << wrong;
        QTest::newRow("resolution not acknowledged")
            << 0 << QStringLiteral("RESOL   1") << "?" << wrong;
        QTest::newRow("zero not acknowledged")
            << 0 << QStringLiteral("ZERO -30") << "Error" << wrong;
        QTest::newRow("FS answered with FS") << 0 << QStringLiteral("FS 300") << "FS 300" << wrong;
        QTest::newRow("memory window") << 1 << QStringLiteral("EMI 0.85") << "Emi  0.50"
                                       << QStringList{replyWrong, "Setting is failed."};
    }
    void sendChecksEveryReply()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        QFETCH(QString, reply);
        InstrumentRig rig(mode == 0 ? Laboratory : Field, mode);
        MeasSetting = sendable();
        rig.port.replyOnce(command, reply);

        QVERIFY(mode == 0 ? !rig.instrument.sendSettings()
                          : !rig.instrument.sendSettingsFromMemoryWindow());

        QTEST(rig.prompter.texts(), "messages");
        QVERIFY(!rig.commands().contains(QStringLiteral("BACKUP")));
        QCOMPARE(rig.instrument.settingsState(), int(ClassInstrument::SettingsUnknown));
        QVERIFY(!rig.port.isOpen());
    }

    // The unit is never sent: the instrument's stays in the record. The memory window sends
    // no scale and always 0.1 degree.
    void onlyRealTimeSendRefusesOtherUnit_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("real-time")
            << 0
            << QStringLiteral("Setting unit and the infrared thermometer unit is different.\n"
                              "Confirm the unit of the infrared thermometer again.")
            << QStringList{"TYPE", ":", ":", ";", "off"};
        QTest::newRow("memory window")
            << 1 << QStringLiteral("Setting is completed.")
            << QStringList{"TYPE", ":", ":", ";", "RESOL 0.1", "EMI 0.85", "BACKUP", "off"};
    }
    void onlyRealTimeSendRefusesOtherUnit()
    {
        QFETCH(int, mode);
        QFETCH(QString, message);
        InstrumentRig rig(mode == 0 ? Laboratory : Field, mode);
        rig.sim.setSettings({0, 1, 0.50f, -20, 500});
        MeasSetting = sendable();

        const bool sent = mode == 0 ? rig.instrument.sendSettings()
                                    : rig.instrument.sendSettingsFromMemoryWindow();

        QCOMPARE(sent, mode == 1);
        QCOMPARE(rig.prompter.texts(), QStringList{message});
        QTEST(rig.commands(), "commands");
        QCOMPARE(MeasSetting.Unit, qint16(1));
    }

    void japaneseEditionRefusesFahrenheit()
    {
        InstrumentRig rig;
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

    // Every step is sent even after a miss; the result comes after the dialog is gone.
    void clockSettingWithWrongDateReplyStillSendsTheRest()
    {
        InstrumentRig rig(Field, 1);
        rig.sim.setFault(Simulator::WrongReply, 1, QStringLiteral("DATE"));
        int dialogAtMessage = -1;
        rig.prompter.onNextMessage([&] { dialogAtMessage = rig.host.shown; });

        QVERIFY(!rig.instrument.setClock(toDayCount(QDate(2026, 3, 5), QTime(14, 7, 9))));

        QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("Clock setting is failed.")});
        QCOMPARE(dialogAtMessage, int(LinkHost::NoDialog));
        QCOMPARE(rig.commands(),
                 (QStringList{"TYPE", "DATE 26/03/05", "TIME 14:07:09", "BACKUP", "off"}));
    }

    void clockSettingRefusesLaboratoryType()
    {
        InstrumentRig rig(Laboratory, 1);
        QVERIFY(!rig.instrument.setClock(toDayCount(QDate(2026, 3, 5))));
        QCOMPARE(rig.prompter.texts(), QStringList{memRefused});
        QCOMPARE(rig.commands(), (QStringList{"TYPE", "off"}));
        QVERIFY(!rig.port.isOpen());
    }

    void clearingNeedsConsentAndTheExactReply()
    {
        InstrumentRig rig(Field, 1);
        rig.sim.fillDemoMemory();
        rig.prompter.answer(Prompter::AnswerCancel);
        QVERIFY(!rig.instrument.clrMemData());
        QCOMPARE(rig.prompter.shown().first().buttons, Prompter::OkCancel);
        QCOMPARE(rig.port.openCount(), 0);

        rig.prompter.answer(Prompter::AnswerOk);
        rig.port.replyOnce(QStringLiteral("CLR"), QStringLiteral("Memory Data cleared."));
        QVERIFY(!rig.instrument.clrMemData());
        QCOMPARE(rig.prompter.texts(),
                 (QStringList{clearQuestion, clearQuestion, "Clear Memory Data is failed."}));
        QVERIFY(!rig.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestInstrument)
#include "test_instrument.moc"
