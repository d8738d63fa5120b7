#pragma once

#include "AppState.h"
#include "FakePump.h"
#include "FormReadMem.h"
#include "MemBlocks.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QPointer>
#include <QTemporaryDir>

#include <memory>

// One memory window, with a settings file of its own, scripted prompts and no blocks after.
// With an instrument it runs on a simulated field type in simulated time. A test's init()
// calls openWindow() and its cleanup() closeWindow().
class MemoryWindowFixture : public QObject
{
protected:
    void openWindow(bool withInstrument = true)
    {
        programMode = 1;
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        MeasSetting = MeasSettingRecord();
        m_prompter = std::make_unique<ScriptedPrompter>();
        if (withInstrument) {
            m_pump = std::make_unique<FakePump>();
            m_sim = std::make_unique<Simulator>(Simulator::FType);
            m_port = std::make_unique<SimPort>(*m_sim);
        }
        m_window = new FormReadMem(m_port.get());
        m_window->show();
    }
    void closeWindow()
    {
        delete m_window;
        for (auto &block : memBlocks)
            block.reset();
        m_port.reset();
        m_sim.reset();
        m_prompter.reset();
        m_pump.reset();
        programMode = 0;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormReadMem> m_window;
};
