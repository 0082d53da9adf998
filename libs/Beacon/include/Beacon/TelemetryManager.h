#pragma once

#include <functional>

#include <QObject>
#include <QReadWriteLock>

#include "Beacon/TelemetryManagerConfiguration.h"

class SignalManager;

/// The analytics client of the process: the active configuration and the signal manager.
/// Created by `Beacon::initialize` and owned by the library; lives on the main thread.
class TelemetryManager : public QObject
{
    Q_OBJECT
public:
    /// Starts the signal manager (cache, uploads) and, after `sessionBeginDelay`, the first session.
    explicit TelemetryManager(const TelemetryManagerConfiguration& configuration, QObject* parent = nullptr);
    ~TelemetryManager() override;

    /// A copy of the active configuration. Any thread.
    TelemetryManagerConfiguration configuration() const;
    /// Changes the active configuration. Any thread.
    void updateConfiguration(const std::function<void(TelemetryManagerConfiguration&)>& change);

    SignalManager& signalManager() { return *m_signalManager; }
    /// The name of the client's own store for this application.
    QString storeSuiteName() const { return m_storeSuiteName; }

    /// Checks, names and enriches a signal and hands it to the signal manager. Any thread.
    void signal(const QString& name, const ParameterDictionary& parameters, std::optional<double> floatValue,
                const std::optional<QString>& customUserID);
    /// Gives the configuration a new session identifier, which begins a new session. Main thread.
    void generateNewSession();

    double lastTimeImmediateSyncRequested = -1e300;
    double lastDateAppEnteredBackground = -1e300;

private:
    mutable QReadWriteLock m_lock;
    TelemetryManagerConfiguration m_configuration;
    QString m_storeSuiteName;
    SignalManager* m_signalManager = nullptr;
};
