#pragma once

#include <QString>
#include <QtGlobal>

class LinkHost;
class SerialPort;

// The serial transaction layer of one main window: port choice, waking the instrument and
// putting it to sleep, one command line out and one reply line back with a three-second
// time-out, the Stop button and the Retry/Cancel question. All waiting goes through
// Pump::instance(); failures are raised as CommError (CommError.h) to the operation that
// opened the bracket (showCommDialog, PowerOn, commands, PowerOff, hideCommDialog).
class ClassLink
{
public:
    ClassLink(SerialPort &port, LinkHost &host);

    SerialPort &port() { return m_port; }

    // Characters received but not yet returned as a line.
    QString rxBuffer() const { return m_rxBuffer; }
    // The last reply of SendCommand without its line end; empty after a failure.
    QString lastReply() const { return m_lastReply; }
    // Whole seconds since setTimeOut, wrapping to 0 after 32000; frozen by offTimeOut.
    qint16 timeoutTicks() const;

    // Index outside 0..3 selects COM1.
    void selectPort(int index);
    int portIndex() const { return m_portIndex; }

    // Opens the port (if closed) and switches RTS on; false after showing why it failed.
    bool openPort();
    void closePort();
    bool isPortOpen() const;

    // Writes the command with CR LF and reads nothing.
    void SendCommand0(const QString &cmd);
    // One transaction; the reply is in lastReply(). Raises Stopped or NoReply. On Retry a
    // port that cannot be opened is reported and the question asked again.
    void SendCommand(const QString &cmd);
    // The next reply line with its line end, or timeOutReply / stoppedReply; timeOutReply at
    // once when the port is closed (it closes itself when the device goes away).
    QString ReadRS();

    // ReadRS sentinels; SendCommand's dropping of the line end makes them "TimeOut"/"Cansel".
    static const QString timeOutReply;
    static const QString stoppedReply;

    void setTimeOut();
    void offTimeOut();
    void flushInput();
    void waitSeconds(int n);

    // Wakes the instrument; raises PortFailed when the port cannot be opened.
    void PowerOn();
    // Puts the instrument to sleep and closes the port; nothing when the port is closed.
    void PowerOff();
    // Requests a reading without reading it and gives the instrument a second.
    void startMeasure();

    void showCommDialog();
    void hideCommDialog();

private:
    enum ReadResult { LineRead, TimedOut, StopPressed };

    SerialPort &m_port;
    LinkHost &m_host;
    int m_portIndex = 0;
    QString m_rxBuffer;
    QString m_lastReply;
    bool m_timerOn = false;
    qint64 m_timerStartMs = 0;
    qint16 m_frozenTicks = 0;
    // Why the last ReadRS returned, so that a reply that happens to read "TimeOut" is not
    // taken for the sentinel.
    ReadResult m_readResult = LineRead;
};
