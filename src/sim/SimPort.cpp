#include "SimPort.h"

#include "Simulator.h"

#include <cerrno>
#include <cstring>

SimPort::SimPort(Simulator &simulator) : m_sim(simulator) {}

bool SimPort::open()
{
    if (m_open)
        return true;
    if (m_unplugged) {
        m_openError = NotFound;
        return false;
    }
    if (m_failOpen != NoError) {
        m_openError = m_failOpen;
        m_failOpen = NoError;
        return false;
    }
    ++m_openCount;
    m_open = true;
    m_openError = NoError;
    // What reached the line while nobody listened is gone.
    m_sim.takeOutput();
    return true;
}

void SimPort::close()
{
    if (!m_open)
        return;
    // The driver's receive buffer goes with the port, and the modem lines drop.
    m_sim.takeOutput();
    m_open = false;
    m_dtr = false;
    m_rts = false;
}

void SimPort::setUnplugged(bool unplugged)
{
    m_unplugged = unplugged;
    if (unplugged)
        close();
}

QString SimPort::errorText() const
{
    int code = 0;
    switch (m_openError) {
    case NoError:
        return QString();
    case NotFound:
        code = ENOENT;
        break;
    case PermissionDenied:
        code = EACCES;
        break;
    case InUse:
        code = EBUSY;
        break;
    case OtherError:
        code = EIO;
        break;
    }
    return QString::fromLocal8Bit(std::strerror(code));
}

// Like a real port, the modem lines can only be set while the port is open.
bool SimPort::setDataTerminalReady(bool on)
{
    if (!m_open)
        return false;
    m_dtr = on;
    return true;
}

bool SimPort::setRequestToSend(bool on)
{
    if (!m_open)
        return false;
    m_rts = on;
    return true;
}

qint64 SimPort::write(const QByteArray &data)
{
    if (!m_open)
        return -1;
    m_written += data;
    m_sim.receive(data);
    return data.size();
}

QByteArray SimPort::readAll()
{
    if (!m_open)
        return QByteArray();
    return m_sim.takeOutput();
}
