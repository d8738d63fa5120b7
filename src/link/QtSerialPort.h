#pragma once

#include "SerialPort.h"

#include <QSerialPort>

// The real serial line on QSerialPort: 2400 baud, 8N1, no flow control. Data arrives while
// the pump processes events. When the other end hangs up or the device goes away (a read or
// write fails), the port closes itself, so the next PowerOn opens it afresh.
class QtSerialPort : public SerialPort
{
public:
    QtSerialPort();
    ~QtSerialPort() override;

    void setDevice(const QString &device) override { m_device = device; }
    QString device() const override { return m_device; }
    bool open() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override;
    OpenError openError() const override { return m_openError; }
    QString errorText() const override { return m_errorText; }
    bool setDataTerminalReady(bool on) override;
    bool setRequestToSend(bool on) override;
    // -1 when the device is gone.
    qint64 write(const QByteArray &data) override;
    QByteArray readAll() override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_device;
    OpenError m_openError = NoError;
    QString m_errorText;
    // Counts opens, so that a close queued on a hang-up cannot close a later session.
    int m_session = 0;
};
