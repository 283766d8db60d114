#pragma once
// The station's and the host's single source of time, with two readings:
// - now(): the wall clock, for dates and times that people read or that name
//   files (log names, practice history, the round's folder, event lines).
//   It can step when the system sets its clock.
// - monotonicMs(): milliseconds since an arbitrary start that never steps,
//   for every duration: countdowns, the host's silence, the played time of a
//   test and its pauses, the demonstration delay, timed scores, the silent
//   wave player's position.
// Tests move time forward instead of sleeping, and can step the wall clock
// alone to show that no duration follows it.

#include <QDateTime>
#include <QElapsedTimer>

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual qint64 monotonicMs() const = 0;
};

// Local wall-clock time, and the system's monotonic clock (milliseconds
// since boot on Linux: the same reading in every process of the machine, so
// a program started again can take up a duration it had begun).
class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 monotonicMs() const override
    {
        QElapsedTimer reading;
        reading.start();
        return reading.msecsSinceReference();
    }
};

// A clock that only moves when told to; used by tests and benchmarks. Time
// passing (advance, set) moves both readings; a step moves the wall alone.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2024, 3, 5), QTime(14, 7)))
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    qint64 monotonicMs() const override { return m_monotonicMs; }
    // Time passes until `t` on the wall clock.
    void set(const QDateTime &t) { advanceMs(m_now.msecsTo(t)); }
    void advanceMs(qint64 ms)
    {
        m_now = m_now.addMSecs(ms);
        m_monotonicMs += ms;
    }
    void advanceSecs(qint64 s) { advanceMs(s * 1000); }
    // Time passes until the monotonic reading is `ms`.
    void setMonotonicMs(qint64 ms) { advanceMs(ms - m_monotonicMs); }
    // The system sets its clock by `ms` (either way); no time passes.
    void stepWallMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
    qint64 m_monotonicMs = 1'000'000; // well clear of zero, as a real uptime is
};
