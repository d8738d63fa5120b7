#include "AppState.h"
#include "ClassInstrument.h"
#include "FakePump.h"
#include "FormMain.h"
#include "FormMeasSet.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// The real-time window's instrument commands, end to end against the simulator.
class TestFormMainLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void confirmConnectionNamesTheInstrument();
    void receivedSettingsShowInTheFrame();
    void changedSettingsAreSentAndBackedUp();
    void fieldTypeInstrumentIsRefused();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormMain> m_main;
};

void TestFormMainLink::init()
{
    programMode = 0;
    settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    MeasSetting = MeasSettingRecord();
    m_pump = std::make_unique<FakePump>();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_sim = std::make_unique<Simulator>(Simulator::LType);
    Simulator::InstrumentSettings settings;
    settings.precision = 1;
    settings.emissivity = 0.85f;
    settings.scaleZero = 0;
    settings.scaleFull = 300;
    m_sim->setSettings(settings);
    m_port = std::make_unique<SimPort>(*m_sim);
    m_main = new FormMain(m_port.get());
    m_main->show();
}

void TestFormMainLink::cleanup()
{
    delete m_main;
    m_port.reset();
    m_sim.reset();
    m_prompter.reset();
    m_pump.reset();
}

void TestFormMainLink::confirmConnectionNamesTheInstrument()
{
    QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Unknown"));
    m_main->MenuSetItem[5]->trigger();
    QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Connection is right")});
    QVERIFY(!m_port->isOpen());
    QVERIFY(!m_sim->awake());
    QVERIFY(m_main->isEnabled());
}

void TestFormMainLink::receivedSettingsShowInTheFrame()
{
    m_main->Command1[2]->click();
    QVERIFY(m_prompter->texts().isEmpty());
    QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
    QCOMPARE(m_main->Label1[3]->text(), QStringLiteral("1°C"));
    QCOMPARE(m_main->Label1[4]->text(), QStringLiteral("0.85"));
    QCOMPARE(m_main->Label1[5]->text(), QStringLiteral("0 ~ 300°C"));
    QCOMPARE(MeasSetting.Precision, qint16(1));
}

void TestFormMainLink::changedSettingsAreSentAndBackedUp()
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

void TestFormMainLink::fieldTypeInstrumentIsRefused()
{
    m_sim->setType(Simulator::FType);
    m_main->Command1[2]->click();
    QCOMPARE(m_prompter->texts(),
             QStringList{QStringLiteral("This Model cannot use Real Time Measurement mode.\n"
                                        "Please use Read Memory Data mode.")});
    QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Unknown"));
}

QTEST_MAIN(TestFormMainLink)
#include "tst_formmainlink.moc"
