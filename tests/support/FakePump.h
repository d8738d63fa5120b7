#pragma once

#include "Pump.h"

#include <QDateTime>

#include <functional>
#include <map>

// A pump whose clock only moves when it runs: every processEvents() handles the pending Qt
// events without blocking and then advances the clock by one step. Installs itself for its
// lifetime, so a test that waits an hour of simulated time runs in milliseconds.
class FakePump : public Pump
{
public:
    explicit FakePump(const QDateTime &start = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)),
                      qint64 stepMs = 10);
    ~FakePump() override;

    double now() const override;
    qint64 monotonicMs() const override { return m_ms; }
    void processEvents() override;

    // The exact current time (not truncated to seconds).
    QDateTime currentDateTime() const;
    void setStep(qint64 ms) { m_stepMs = ms; }
    void advance(qint64 ms) { m_ms += ms; }
    // Runs `action` from inside processEvents() once the clock has reached `afterMs`
    // milliseconds from now.
    void schedule(qint64 afterMs, std::function<void()> action);
    // How many times processEvents() ran.
    qint64 pumps() const { return m_pumps; }

private:
    QDateTime m_start;
    qint64 m_ms = 0;
    qint64 m_stepMs;
    qint64 m_pumps = 0;
    std::multimap<qint64, std::function<void()>> m_actions;
};
