#pragma once

#include <mutex>
#include <optional>
#include <utility>

#include <QHash>
#include <QObject>

#include "Beacon/TelemetryManagerConfiguration.h"

/// Times named activities for duration signals. By default time spent while the application is
/// inactive is left out. Thread-safe; the shared instance is owned by the library.
class DurationSignalTracker : public QObject
{
    Q_OBJECT
public:
    struct CachedData
    {
        double startTime = 0;
        ParameterDictionary parameters;
        bool includeBackgroundTime = false;
    };

    static DurationSignalTracker& shared();
    /// Follows `ApplicationActivity::shared()`.
    explicit DurationSignalTracker(QObject* parent = nullptr);

    /// Starts (or restarts) the timing of `name`.
    void startTracking(const QString& name, const ParameterDictionary& parameters,
                       bool includeBackgroundTime);
    /// Ends the timing of `name`: the seconds elapsed and the parameters given at the start, or
    /// none when `name` is not being timed.
    std::optional<std::pair<double, ParameterDictionary>> stopTracking(const QString& name);

    void handleDidResignActive();
    void handleWillBecomeActive();

    /// The duration as sent: cut down to thousandths, in the shortest decimal form ("1.234").
    static QString durationText(double seconds);

private:
    std::mutex m_mutex;
    QHash<QString, CachedData> m_startedSignals;
    std::optional<double> m_lastEnteredBackground;
};
