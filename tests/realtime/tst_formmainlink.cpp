#include "ClassInstrument.h"
#include "FakePump.h"
#include "MainWindowFixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The real-time window's instrument commands, end to end against the simulator.
class TestFormMainLink : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        MeasSetting = MeasSettingRecord();
        m_pump = std::make_unique<FakePump>();
        openMain();
        m_sim->setSettings({1, 0, 0.85f, 0, 300}); // whole degrees, C, emissivity, scale
    }

    void cleanup()
    {
        closeMain();
        m_pump.reset();
    }

    void confirmConnectionNamesTheInstrument()
    {
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Unknown"));
        m_main->MenuSetItem[5]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Connection is right")});
        QVERIFY(!m_port->isOpen());
        QVERIFY(!m_sim->awake());
        QVERIFY(m_main->isEnabled());
    }

    void receivedSettingsShowInTheFrame()
    {
        m_main->Command1[2]->click();
        QVERIFY(m_prompter->texts().isEmpty());
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
        QCOMPARE(m_main->Label1[3]->text(), QStringLiteral("1°C"));
        QCOMPARE(m_main->Label1[4]->text(), QStringLiteral("0.85"));
        QCOMPARE(m_main->Label1[5]->text(), QStringLiteral("0 ~ 300°C"));
        QCOMPARE(MeasSetting.Precision, qint16(1));
    }

    void changedSettingsAreSentAndBackedUp()
    {
        m_main->Command1[2]->click();
        MeasSetting.EmissivityStr = QStringLiteral("Glass:0.94");
        MeasSetting.EmissivityValue = 0.94f;
        m_main->instrument().setSettingsState(2);
        m_main->dispMeasSetting();
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Changed"));

        m_main->Command1[3]->click();
        QVERIFY2(m_prompter->texts().isEmpty(), qPrintable(m_prompter->texts().join('|')));
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
        QCOMPARE(m_main->Label1[4]->text(), QStringLiteral("Glass:0.94"));
        QCOMPARE(m_sim->backedUp().emissivity, 0.94f);
        QCOMPARE(m_sim->backedUp().precision, 1);
    }

    void fieldTypeInstrumentIsRefused()
    {
        m_sim->setType(Simulator::FType);
        m_main->Command1[2]->click();
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("This Model cannot use Real Time Measurement mode.\n"
                                            "Please use Read Memory Data mode.")});
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Unknown"));
    }

private:
    std::unique_ptr<FakePump> m_pump;
};

QTEST_MAIN(TestFormMainLink)
#include "tst_formmainlink.moc"
