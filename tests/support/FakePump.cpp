#include "FakePump.h"

#include "DateTime.h"

#include <QCoreApplication>

FakePump::FakePump(const QDateTime &start, qint64 stepMs) : m_start(start), m_stepMs(stepMs)
{
    Pump::setInstance(this);
}

FakePump::~FakePump()
{
    Pump::setInstance(nullptr);
}

QDateTime FakePump::currentDateTime() const
{
    return m_start.addMSecs(m_ms);
}

double FakePump::now() const
{
    QDateTime t = currentDateTime();
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return toDayCount(t);
}

void FakePump::processEvents()
{
    ++m_pumps;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    m_ms += m_stepMs;
    while (!m_actions.empty() && m_actions.begin()->first <= m_ms) {
        auto action = std::move(m_actions.begin()->second);
        m_actions.erase(m_actions.begin());
        action();
    }
}

void FakePump::schedule(qint64 afterMs, std::function<void()> action)
{
    m_actions.emplace(m_ms + afterMs, std::move(action));
}
