#pragma once

#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "FakePump.h"
#include "LinkHost.h"
#include "ScriptedPrompter.h"
#include "SimPort.h"
#include "Simulator.h"

// The link as a command line drives it: no window, the in-process simulator, a fake clock and
// scripted prompts. The test target links link_core and sim_core.
class InstrumentRig
{
public:
    // A command line's host: no dialog to show.
    class NoWindows : public LinkHost
    {
    public:
        int shownProgressDialog() const override { return NoDialog; }
        void hideProgressDialogs() override {}
        void showProgressDialog(int) override {}
        void bringToFront() override {}
        void showCommDialog() override { stopRequested = false; }
        void hideCommDialog() override {}
        void portSelected(int) override {}
    };

    explicit InstrumentRig(Simulator::Type type,
                           const QDateTime &start = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)),
                           qint64 stepMs = 10)
        : pump(start, stepMs), sim(type), port(sim), link(port, host), instrument(link)
    {
    }

    // Built in this order, torn down in reverse.
    FakePump pump;
    ScriptedPrompter prompter;
    Simulator sim;
    SimPort port;
    NoWindows host;
    ClassLink link;
    ClassInstrument instrument;
};
