#include "CliInstrument.h"

#include "AppState.h"
#include "CliCommand.h"
#include "CliSignals.h"
#include "MeasSettingCheck.h"
#include "PortDevices.h"
#include "Settings.h"
#include "Strings.h"

#include <QRegularExpression>

#include <climits>

CliInstrument::CliInstrument(CliOptions &options)
    : m_portOption(options.add({QStringLiteral("port")}, 7410, QStringLiteral("COMn|DEVICE"))),
      m_settingsOption(options.add({QStringLiteral("settings")}, 7411, QStringLiteral("FILE"),
                                   settingsFilePath())),
      m_link(cliHostPort ? *cliHostPort : m_port, *this), m_instrument(m_link)
{
}

CliInstrument::~CliInstrument()
{
    m_link.closePort();
}

void CliInstrument::prepare(const CliOptions &options)
{
    int index = -1;
    QString device;
    if (options.isSet(m_portOption)) {
        const QString port = options.value(m_portOption);
        static const QRegularExpression comName(QStringLiteral("^COM(\\d+)$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch com = comName.match(port);
        if (com.hasMatch()) {
            index = com.captured(1).toInt() - 1;
            if (index < 0 || index > 3)
                cliBadValue(7412, port);
        } else if (port.isEmpty()) {
            cliBadValue(7412, port);
        } else {
            device = port;
        }
    }

    if (options.isSet(m_settingsOption))
        settingsFileOverride = options.value(m_settingsOption);
    const QString path = settingsFileOverride.isEmpty() ? settingsFilePath() : settingsFileOverride;
    // Window positions mean nothing here: no screen limits them.
    loadSettings(path, QSize(INT_MAX / 2, INT_MAX / 2));
    normalizeMeasSetting();

    if (!device.isEmpty()) {
        // A device path stands in for COM1 for this run; the settings file is not changed.
        setPortDeviceForRun(0, device);
        index = 0;
    }
    m_link.selectPort(index < 0 ? Settings.comPortIndex : index);
}

void CliInstrument::adoptModeOfInstrument()
{
    m_link.SendCommand(QStringLiteral("TYPE"));
    programMode = m_link.lastReply() == QLatin1String("F-type") ? 1 : 0;
}

void CliInstrument::fail(const CommError &error)
{
    if (error.code == CommError::Stopped && stopSignalReceived())
        throw CliError{ExitStopped, QString()};
    // Says nothing for the failures already reported where they arose.
    ClassInstrument::reportSettingsFailure(error);
    throw CliError{ExitInstrument, QString()};
}
