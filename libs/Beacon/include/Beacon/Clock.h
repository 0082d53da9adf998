#pragma once

#include <memory>

class QDateTime;

/// The analytics client's source of the current time, in seconds since 1970-01-01 UTC.
/// Every part of the client reads time through `Clock::current()`, so a test can install a
/// `ManualClock` and move time by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;

    /// The clock in use: the system clock unless one was installed with `setCurrent`.
    static const Clock& current();
    /// Installs `clock` for the whole process (shared ownership); null restores the system clock.
    static void setCurrent(std::shared_ptr<const Clock> clock);

    /// `seconds` (since 1970) as a date-time in local time.
    static QDateTime toDateTime(double seconds);
};

/// The wall clock.
class SystemClock : public Clock
{
public:
    double now() const override;
};

/// A clock that only moves when told to. Thread-safe.
class ManualClock : public Clock
{
public:
    explicit ManualClock(double start = 1'750'000'000.0);
    double now() const override;
    void set(double seconds);
    void advance(double seconds);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
