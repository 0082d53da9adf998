#include "Beacon/Clock.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <mutex>

#include <QDateTime>

namespace {

std::mutex clockMutex;
std::shared_ptr<const Clock> installedClock;

const SystemClock& systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace

const Clock& Clock::current()
{
    std::lock_guard lock(clockMutex);
    // The installed clock is kept alive by installedClock until it is replaced; tests replace it
    // only while nothing else reads the time.
    if (installedClock)
        return *installedClock;
    return systemClock();
}

void Clock::setCurrent(std::shared_ptr<const Clock> clock)
{
    std::lock_guard lock(clockMutex);
    installedClock = std::move(clock);
}

QDateTime Clock::toDateTime(double seconds)
{
    // Keep a broken reading from overflowing the conversion: clamp to about ±290,000 years.
    const double milliseconds = std::isfinite(seconds) ? std::clamp(seconds * 1000.0, -9.0e18, 9.0e18) : 0.0;
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(milliseconds));
}

double SystemClock::now() const
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

struct ManualClock::State
{
    std::atomic<double> seconds;
};

ManualClock::ManualClock(double start) : m_state(std::make_shared<State>())
{
    m_state->seconds = start;
}

double ManualClock::now() const
{
    return m_state->seconds.load();
}

void ManualClock::set(double seconds)
{
    m_state->seconds = seconds;
}

void ManualClock::advance(double seconds)
{
    double current = m_state->seconds.load();
    while (!m_state->seconds.compare_exchange_weak(current, current + seconds)) {
    }
}
