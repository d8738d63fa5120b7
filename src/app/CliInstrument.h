#pragma once

#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "LinkHost.h"
#include "QtSerialPort.h"

#include <QCommandLineOption>

class CliOptions;

// The instrument as a command reaches it: the settings file, the port of --port (or of the
// settings file) and the link with its operations, without windows. Progress dialogs do
// not exist; stopRequested is set only by the stop signals and never cleared here, so a
// signal that arrives between two replies still stops the next one.
class CliInstrument : public LinkHost
{
public:
    // Adds --port and --settings to a command's options.
    explicit CliInstrument(CliOptions &options);
    ~CliInstrument() override;

    // Reads the settings file and checks --port; a bad --port is a usage error. Call after
    // the options are parsed and before anything touches the instrument.
    void prepare(const CliOptions &options);

    ClassLink &link() { return m_link; }
    ClassInstrument &instrument() { return m_instrument; }

    // Opens the communication bracket (wakes the instrument), runs `work`, closes it. A
    // failure inside becomes a CliError with its report; the port is closed in any case.
    template <typename Work> void bracket(Work work)
    {
        try {
            m_link.PowerOn();
            work();
        } catch (const CommError &error) {
            m_link.PowerOff();
            fail(error);
        } catch (...) {
            m_link.PowerOff();
            throw;
        }
        m_link.PowerOff();
    }

    // Asks "TYPE" and picks the mode that fits the answer: memory mode for a field type,
    // real-time mode for anything else. Inside a bracket.
    void adoptModeOfInstrument();

    int shownProgressDialog() const override { return NoDialog; }
    void hideProgressDialogs() override {}
    void showProgressDialog(int) override {}
    void bringToFront() override {}
    void showCommDialog() override {}
    void hideCommDialog() override {}
    void portSelected(int) override {}

private:
    [[noreturn]] static void fail(const CommError &error);

    QCommandLineOption m_portOption;
    QCommandLineOption m_settingsOption;
    QtSerialPort m_port;
    ClassLink m_link;
    ClassInstrument m_instrument;
};
