#pragma once

#include "AppState.h"
#include "FormMain.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// One real-time window on a simulated laboratory instrument, with a settings file of its own,
// scripted prompts and no channel data before or after. A test's init() calls openMain() and
// its cleanup() closeMain().
class MainWindowFixture : public QObject
{
protected:
    // `makePort` puts a port of the test's own on the simulator.
    void openMain(const std::function<std::unique_ptr<SimPort>(Simulator &)> &makePort = {})
    {
        programMode = 0;
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        clearChannels();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_sim = std::make_unique<Simulator>(Simulator::LType);
        m_port = makePort ? makePort(*m_sim) : std::make_unique<SimPort>(*m_sim);
        m_main = new FormMain(m_port.get());
        m_main->show();
    }
    void closeMain()
    {
        delete m_main;
        clearChannels();
        m_port.reset();
        m_sim.reset();
        m_prompter.reset();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormMain> m_main;
};
