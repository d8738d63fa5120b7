#pragma once

#include <QByteArray>
#include <QString>

// The serial line as the transaction layer sees it: 2400 baud, no parity, 8 data bits,
// 1 stop bit, no flow control. The application uses QSerialPort; tests use a port that
// talks to the in-process instrument simulator.
class SerialPort
{
public:
    enum OpenError { NoError, NotFound, PermissionDenied, InUse, OtherError };

    virtual ~SerialPort() = default;

    // The device the next open() uses (e.g. /dev/ttyUSB0).
    virtual void setDevice(const QString &device) = 0;
    virtual QString device() const = 0;

    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Why the last open() failed, and the system's description of it.
    virtual OpenError openError() const = 0;
    virtual QString errorText() const = 0;

    // Modem lines. Some devices (pseudo-terminals) refuse them and stay usable, so a
    // false result is a warning, not a failure.
    virtual bool setDataTerminalReady(bool on) = 0;
    virtual bool setRequestToSend(bool on) = 0;

    virtual qint64 write(const QByteArray &data) = 0;
    // Everything received and not yet read; never blocks.
    virtual QByteArray readAll() = 0;
};
