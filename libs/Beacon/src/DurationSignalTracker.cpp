#include "Beacon/DurationSignalTracker.h"

#include <cmath>

#include <QCoreApplication>
#include <QLocale>

#include "Beacon/ApplicationActivity.h"
#include "Beacon/Beacon.h"
#include "Beacon/Clock.h"

DurationSignalTracker& DurationSignalTracker::shared()
{
    static DurationSignalTracker* instance = [] {
        auto* tracker = new DurationSignalTracker;
        // A timing may begin on any thread; the activity notifications arrive on the main one.
        if (QCoreApplication::instance())
            tracker->moveToThread(QCoreApplication::instance()->thread());
        return tracker;
    }();
    return *instance;
}

DurationSignalTracker::DurationSignalTracker(QObject* parent) : QObject(parent)
{
    ApplicationActivity& activity = ApplicationActivity::shared();
    connect(&activity, &ApplicationActivity::didResignActive, this,
            &DurationSignalTracker::handleDidResignActive);
    connect(&activity, &ApplicationActivity::willBecomeActive, this,
            &DurationSignalTracker::handleWillBecomeActive);
}

void DurationSignalTracker::startTracking(const QString& name, const ParameterDictionary& parameters,
                                          bool includeBackgroundTime)
{
    std::lock_guard lock(m_mutex);
    m_startedSignals.insert(name, CachedData{Clock::current().now(), parameters, includeBackgroundTime});
}

std::optional<std::pair<double, ParameterDictionary>> DurationSignalTracker::stopTracking(const QString& name)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_startedSignals.constFind(name);
    if (it == m_startedSignals.cend())
        return std::nullopt;
    const CachedData data = it.value();
    m_startedSignals.erase(it);
    return std::make_pair(Clock::current().now() - data.startTime, data.parameters);
}

void DurationSignalTracker::handleDidResignActive()
{
    std::lock_guard lock(m_mutex);
    m_lastEnteredBackground = Clock::current().now();
}

void DurationSignalTracker::handleWillBecomeActive()
{
    std::lock_guard lock(m_mutex);
    if (!m_lastEnteredBackground)
        return;
    const double background = Clock::current().now() - *m_lastEnteredBackground;
    for (CachedData& data : m_startedSignals) {
        if (!data.includeBackgroundTime)
            data.startTime += background;
    }
    m_lastEnteredBackground.reset();
}

QString DurationSignalTracker::durationText(double seconds)
{
    // Scaling by 1000 can land a hair below a whole number of milliseconds (2.3 * 1000 is
    // 2299.9999999999995); a tiny tolerance keeps such values from losing a millisecond.
    const double milliseconds = std::floor(seconds * 1000.0 + 1e-6);
    return QString::number(milliseconds / 1000.0, 'f', QLocale::FloatingPointShortest);
}

void Beacon::beginDurationSignal(const QString& name, const ParameterDictionary& parameters,
                                 bool includeBackgroundTime)
{
    DurationSignalTracker::shared().startTracking(name, parameters, includeBackgroundTime);
}

void Beacon::endDurationSignal(const QString& name, const ParameterDictionary& parameters,
                               std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    const auto tracked = DurationSignalTracker::shared().stopTracking(name);
    if (!tracked)
        return;
    ParameterDictionary merged{{QStringLiteral("Beacon.Signal.durationInSeconds"),
                                DurationSignalTracker::durationText(tracked->first)}};
    merged.insert(tracked->second);
    merged.insert(parameters);
    signal(name, merged, floatValue, customUserID);
}
