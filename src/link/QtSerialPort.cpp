#include "QtSerialPort.h"

#include <QMetaObject>
#include <QtDebug>

#include <QFile>

#include <unistd.h>

namespace
{
bool mayReadAndWrite(const QString &device)
{
    const QString path =
        device.startsWith(QLatin1Char('/')) ? device : QLatin1String("/dev/") + device;
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

// A pulled USB adapter fails reads and writes with EIO or ENODEV, which QSerialPort reports
// as one of these; a hung-up pseudo-terminal does the same.
bool isLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
           error == QSerialPort::ResourceError;
}
} // namespace

QtSerialPort::QtSerialPort()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtSerialPort::~QtSerialPort()
{
    close();
}

bool QtSerialPort::open()
{
    if (m_port.isOpen())
        return true;
    m_openError = NoError;
    m_errorText.clear();
    if (m_device.isEmpty()) {
        m_openError = NotFound;
        m_errorText = QStringLiteral("No serial device");
        return false;
    }
    m_port.setPortName(m_device);
    m_port.setBaudRate(QSerialPort::Baud2400);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (m_port.open(QIODevice::ReadWrite)) {
        ++m_session;
        m_port.clearError();
        return true;
    }

    m_errorText = m_port.errorString();
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        m_openError = NotFound;
        break;
    case QSerialPort::PermissionError:
        // QSerialPort also reports the lock another process holds as a permission error;
        // only a device we may not read and write is a matter of access rights.
        m_openError = mayReadAndWrite(m_device) ? InUse : PermissionDenied;
        break;
    case QSerialPort::OpenError:
        m_openError = InUse;
        break;
    default:
        m_openError = OtherError;
        break;
    }
    m_port.clearError();
    return false;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialPort::setDataTerminalReady(bool on)
{
    if (!m_port.isOpen())
        return false;
    const bool ok = m_port.setDataTerminalReady(on);
    if (!ok) {
        m_errorText = m_port.errorString();
        m_port.clearError();
    }
    return ok;
}

bool QtSerialPort::setRequestToSend(bool on)
{
    if (!m_port.isOpen())
        return false;
    const bool ok = m_port.setRequestToSend(on);
    if (!ok) {
        m_errorText = m_port.errorString();
        m_port.clearError();
    }
    return ok;
}

qint64 QtSerialPort::write(const QByteArray &data)
{
    if (!m_port.isOpen())
        return -1;
    const qint64 n = m_port.write(data);
    // Hands the bytes to the driver now; close() would drop what is still buffered here.
    // A device that went away fails here, and onError has queued the close.
    m_port.flush();
    if (isLost(m_port.error()))
        return -1;
    return n;
}

QByteArray QtSerialPort::readAll()
{
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (!isLost(error))
        return;
    qWarning("Serial port %s lost: the other end hung up or the device went away",
             qPrintable(m_device));
    // The other end is gone, but QSerialPort stays open and keeps reporting; close it
    // outside the signal, which QSerialPort emits from its own notifier.
    const int session = m_session;
    QMetaObject::invokeMethod(
        &m_port,
        [this, session] {
            if (session == m_session)
                close();
        },
        Qt::QueuedConnection);
}
