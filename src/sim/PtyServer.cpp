#include "PtyServer.h"

#include "Simulator.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

PtyServer::PtyServer(Simulator &simulator, QObject *parent) : QObject(parent), m_sim(simulator)
{
    m_outputTimer = new QTimer(this);
    m_outputTimer->setSingleShot(true);
    m_outputTimer->setTimerType(Qt::PreciseTimer);
    connect(m_outputTimer, &QTimer::timeout, this, &PtyServer::writeOutput);
}

PtyServer::~PtyServer()
{
    stop();
}

bool PtyServer::start(const QString &linkPath)
{
    if (m_master >= 0)
        return true;
    m_linkPath = linkPath;
    if (!openTerminal()) {
        m_linkPath.clear();
        return false;
    }
    return true;
}

void PtyServer::unplug()
{
    if (m_master < 0)
        return;
    closeTerminal();
}

bool PtyServer::replug()
{
    if (m_master >= 0)
        return true;
    // What the instrument sent while the cable was out went nowhere.
    m_sim.takeOutput();
    return openTerminal();
}

bool PtyServer::openTerminal()
{
    m_error.clear();

    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    char name[256];
    if (ptsname_r(m_master, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(m_slavePath);
    termios tio;
    if (tcgetattr(m_slave, &tio) != 0)
        return fail(QStringLiteral("tcgetattr"));
    cfmakeraw(&tio);
    cfsetispeed(&tio, B2400);
    cfsetospeed(&tio, B2400);
    tio.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(QStringLiteral("tcsetattr"));
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("fcntl"));
    fcntl(m_master, F_SETFD, FD_CLOEXEC);

    if (!m_linkPath.isEmpty()) {
        const QByteArray link = m_linkPath.toLocal8Bit();
        struct stat st;
        if (lstat(link.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                m_error = m_linkPath + QStringLiteral(": exists and is not a symbolic link");
                closeTerminal();
                return false;
            }
            if (unlink(link.constData()) != 0)
                return fail(m_linkPath);
        }
        if (symlink(name, link.constData()) != 0)
            return fail(m_linkPath);
    }

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::readInput);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::writeOutput);
    return true;
}

void PtyServer::readInput()
{
    QByteArray data;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, static_cast<int>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // Cannot happen while our own slave descriptor is open; never spin on it.
            m_error = QString::fromLocal8Bit(std::strerror(n == 0 ? EIO : errno));
            m_readNotifier->setEnabled(false);
        }
        break;
    }
    if (data.isEmpty())
        return;

    const bool wasAwake = m_sim.awake();
    m_sim.receive(data);
    // Whatever still waits on the terminal from before the instrument slept reached a closed
    // port on a real line; the application must not find it after waking the instrument.
    if (!wasAwake && m_sim.awake())
        tcflush(m_slave, TCIFLUSH);
    scheduleOutput();
}

void PtyServer::writeOutput()
{
    m_pending += m_sim.takeOutput();
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), m_pending.size());
        if (n > 0) {
            m_pending.remove(0, static_cast<int>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
    scheduleOutput();
}

void PtyServer::scheduleOutput()
{
    const qint64 wait = m_sim.msUntilOutput();
    if (wait < 0) {
        m_outputTimer->stop();
        return;
    }
    m_outputTimer->start(static_cast<int>(std::min<qint64>(wait, 60000)));
}

void PtyServer::stop()
{
    closeTerminal();
    m_linkPath.clear();
}

void PtyServer::closeTerminal()
{
    m_outputTimer->stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (!m_linkPath.isEmpty() && !m_slavePath.isEmpty()) {
        // Only our own link goes; someone may have replaced it meanwhile.
        const QByteArray link = m_linkPath.toLocal8Bit();
        char target[256];
        const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, static_cast<int>(n)) == m_slavePath)
            unlink(link.constData());
    }
    // Closing the master hangs up every other descriptor of the slave: the application's
    // port then fails its reads and writes as on a pulled adapter.
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
    m_pending.clear();
}

bool PtyServer::fail(const QString &what)
{
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    closeTerminal();
    return false;
}
