#include "ClassLink.h"

#include "AppState.h"
#include "CommError.h"
#include "LinkHost.h"
#include "PortDevices.h"
#include "Prompter.h"
#include "Pump.h"
#include "SerialPort.h"
#include "Settings.h"
#include "Strings.h"

#include <QtDebug>

const QString ClassLink::timeOutReply = QStringLiteral("TimeOut  ");
const QString ClassLink::stoppedReply = QStringLiteral("Cansel  ");

namespace
{
// The time-out timer counts 0..32000 and then starts again at 0.
constexpr qint64 tickWrap = 32001;
// A reply has this many ticks of the one-second timer to arrive complete.
constexpr int replyTicks = 3;
// Rounds of event processing that let the driver send "off" before the port closes.
constexpr int offDrainRounds = 21;

QString withCommand(int id, const QString &cmd)
{
    return loadString(id) + QLatin1String(" (") + cmd + QLatin1String(") ");
}
} // namespace

ClassLink::ClassLink(SerialPort &port, LinkHost &host) : m_port(port), m_host(host) {}

qint16 ClassLink::timeoutTicks() const
{
    if (!m_timerOn)
        return m_frozenTicks;
    const qint64 elapsed = Pump::instance().monotonicMs() - m_timerStartMs;
    return qint16((elapsed / 1000) % tickWrap);
}

void ClassLink::selectPort(int index)
{
    if (index < 0 || index > 3)
        index = 0;
    m_portIndex = index;
    Settings.comPortIndex = qint16(index);
    m_port.setDevice(portDevice(index));
    m_host.portSelected(index);
}

bool ClassLink::openPort()
{
    if (m_port.isOpen())
        return true;
    // Looked up again so that an adapter plugged in after the port was chosen is found.
    m_port.setDevice(portDevice(m_portIndex));
    if (!m_port.open()) {
        QString text = loadString(1726) + QLatin1Char('\r') + loadString(1727);
        if (m_port.openError() == SerialPort::PermissionDenied)
            text += QLatin1Char('\r') + loadString(1729);
        Prompter::instance().message(text, Prompter::Ok, Prompter::Warning);
        return false;
    }
    if (!m_port.setDataTerminalReady(true))
        qWarning("Cannot switch DTR on at %s: %s", qPrintable(m_port.device()),
                 qPrintable(m_port.errorText()));
    if (!m_port.setRequestToSend(true))
        qWarning("Cannot switch RTS on at %s: %s", qPrintable(m_port.device()),
                 qPrintable(m_port.errorText()));
    return true;
}

void ClassLink::closePort()
{
    if (!m_port.isOpen())
        return;
    if (!m_port.setRequestToSend(false))
        qWarning("Cannot switch RTS off at %s: %s", qPrintable(m_port.device()),
                 qPrintable(m_port.errorText()));
    m_port.close();
}

bool ClassLink::isPortOpen() const
{
    return m_port.isOpen();
}

void ClassLink::SendCommand0(const QString &cmd)
{
    m_port.write(cmd.toLatin1() + "\r\n");
}

void ClassLink::SendCommand(const QString &cmd)
{
    const int noted = m_host.shownProgressDialog();
    for (;;) {
        flushInput();
        SendCommand0(cmd);
        m_lastReply = ReadRS();
        if (m_lastReply.size() >= 2)
            m_lastReply.chop(2);
        if (m_readResult != TimedOut)
            break;

        m_lastReply.clear();
        for (;;) {
            m_host.bringToFront();
            m_host.hideProgressDialogs();
            const Prompter::Answer answer = Prompter::instance().message(
                withCommand(1732, cmd), Prompter::RetryCancel, Prompter::Warning);
            if (answer != Prompter::AnswerRetry) {
                PowerOff();
                throw CommError{CommError::NoReply, withCommand(1732, cmd)};
            }
            if (noted != LinkHost::NoDialog)
                m_host.showProgressDialog(noted);
            // An adapter that is still unplugged gets openPort's message and the question
            // again, so the user can plug it in and retry without losing the operation.
            if (m_port.isOpen() || openPort())
                break;
        }
        PowerOn();
        // A freshly woken instrument needs a ":" and a second before it gives a reading.
        if (cmd == QLatin1String(":")) {
            SendCommand0(QStringLiteral(":"));
            waitSeconds(1);
        }
    }
    if (m_readResult == StopPressed) {
        m_lastReply.clear();
        PowerOff();
        Prompter::instance().message(withCommand(1733, cmd));
        throw CommError{CommError::Stopped, withCommand(1733, cmd)};
    }
}

QString ClassLink::ReadRS()
{
    Pump &pump = Pump::instance();
    QString result;
    setTimeOut();
    for (;;) {
        pump.processEvents();
        m_rxBuffer += QString::fromLatin1(m_port.readAll());
        const int lf = m_rxBuffer.indexOf(QLatin1Char('\n'));
        if (lf >= 0) {
            result = m_rxBuffer.left(lf + 1);
            m_rxBuffer.remove(0, lf + 1);
            m_readResult = LineRead;
            break;
        }
        // A port that closed itself (adapter pulled) will not answer: silence at once.
        if (timeoutTicks() >= replyTicks || !m_port.isOpen()) {
            result = timeOutReply;
            m_readResult = TimedOut;
            break;
        }
        if (stopRequested) {
            result = stoppedReply;
            stopRequested = false;
            m_readResult = StopPressed;
            break;
        }
    }
    offTimeOut();
    return result;
}

void ClassLink::setTimeOut()
{
    m_timerOn = true;
    m_timerStartMs = Pump::instance().monotonicMs();
    m_frozenTicks = 0;
}

void ClassLink::offTimeOut()
{
    m_frozenTicks = timeoutTicks();
    m_timerOn = false;
}

void ClassLink::flushInput()
{
    m_port.readAll();
    m_rxBuffer.clear();
}

void ClassLink::waitSeconds(int n)
{
    Pump &pump = Pump::instance();
    setTimeOut();
    while (timeoutTicks() < n)
        pump.processEvents();
    offTimeOut();
}

void ClassLink::PowerOn()
{
    if (!m_port.isOpen() && !openPort())
        throw CommError{CommError::PortFailed, loadString(1726)};
    for (int i = 0; i < 4; ++i)
        SendCommand0(QString());
    waitSeconds(2);
}

void ClassLink::PowerOff()
{
    if (!m_port.isOpen())
        return;
    SendCommand0(QStringLiteral("off"));
    m_port.write("\r");
    Pump &pump = Pump::instance();
    for (int i = 0; i < offDrainRounds; ++i)
        pump.processEvents();
    closePort();
    waitSeconds(1);
}

void ClassLink::startMeasure()
{
    SendCommand0(QStringLiteral(":"));
    waitSeconds(1);
}

void ClassLink::showCommDialog()
{
    m_host.showCommDialog();
}

void ClassLink::hideCommDialog()
{
    m_host.hideCommDialog();
}
