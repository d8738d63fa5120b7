#pragma once

#include "AppState.h"
#include "ClassLink.h"
#include "FakePump.h"
#include "LinkHost.h"
#include "Pump.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include <utility>

// The main window as the link sees it: which dialog shows, and what was asked of it.
class FakeLinkHost : public LinkHost
{
public:
    int shownProgressDialog() const override { return shown; }
    void hideProgressDialogs() override
    {
        shown = NoDialog;
        calls << QStringLiteral("hideProgress");
    }
    void showProgressDialog(int which) override
    {
        shown = which;
        stopRequested = false;
        calls << QStringLiteral("showProgress %1").arg(which);
    }
    void bringToFront() override { calls << QStringLiteral("front"); }
    void showCommDialog() override
    {
        shown = MessageDialog;
        stopRequested = false;
        calls << QStringLiteral("showComm");
    }
    void hideCommDialog() override
    {
        if (shown == MessageDialog)
            shown = NoDialog;
        calls << QStringLiteral("hideComm");
    }
    void portSelected(int index) override { selectedPort = index; }

    int shown = NoDialog;
    int selectedPort = -1;
    QStringList calls;
};

// The simulator's port, with the simulated time of every write and, where the simulator
// cannot produce it, a reply of the test's own in place of the instrument's.
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
        if (!isOpen())
            return SimPort::write(data);
        writes.append({Pump::instance().monotonicMs(), data});
        const QString command = QString::fromLatin1(data.endsWith("\r\n") ? data.chopped(2) : data);
        if (m_replies.contains(command)) {
            m_extra += m_replies.take(command).toLatin1() + "\r\n";
            overridden << command;
            return data.size();
        }
        return SimPort::write(data);
    }

    QByteArray readAll() override
    {
        if (!isOpen())
            return {};
        return SimPort::readAll() + std::exchange(m_extra, {});
    }

    // Simulated ms and bytes of every write while open.
    QList<QPair<qint64, QByteArray>> writes;
    QStringList overridden;

private:
    QHash<QString, QString> m_replies;
    QByteArray m_extra;
};

// One main window's link to a simulated instrument on COM1, in simulated time, with every
// message recorded.
struct LinkRig {
    explicit LinkRig(Simulator::Type type = Simulator::LType) : sim(type)
    {
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

    FakePump pump;
    ScriptedPrompter prompter;
    Simulator sim;
    TestPort port{sim};
    FakeLinkHost host;
    ClassLink link{port, host};
};
