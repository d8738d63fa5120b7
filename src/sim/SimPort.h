#pragma once

#include "SerialPort.h"

class Simulator;

// An in-memory serial port wired to an in-process simulator.
class SimPort : public SerialPort
{
public:
    explicit SimPort(Simulator &simulator);

    void setDevice(const QString &device) override { m_device = device; }
    QString device() const override { return m_device; }
    bool open() override;
    bool isOpen() const override { return m_open; }
    void close() override;
    OpenError openError() const override { return m_openError; }
    QString errorText() const override;
    bool setDataTerminalReady(bool on) override;
    bool setRequestToSend(bool on) override;
    qint64 write(const QByteArray &data) override;
    QByteArray readAll() override;

    // The next open() fails with this error (NoError: opens normally).
    void failNextOpen(OpenError error) { m_failOpen = error; }
    // A pulled adapter: an open port closes as the real one does on a hang-up, and open()
    // fails (NotFound) until it is plugged back.
    void setUnplugged(bool unplugged);
    bool dataTerminalReady() const { return m_dtr; }
    bool requestToSend() const { return m_rts; }
    // Everything written while the port was open, as sent.
    QByteArray written() const { return m_written; }
    int openCount() const { return m_openCount; }

private:
    Simulator &m_sim;
    QString m_device;
    bool m_open = false;
    bool m_dtr = false;
    bool m_rts = false;
    OpenError m_openError = NoError;
    OpenError m_failOpen = NoError;
    bool m_unplugged = false;
    QByteArray m_written;
    int m_openCount = 0;
};
