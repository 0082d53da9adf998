#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QList>
#include <QObject>
#include <QTimer>

#include "Beacon/TelemetryManagerConfiguration.h"

class QSettings;
class SerialQueue;

/// One stored usage session.
struct StoredSession
{
    double startedAt = 0; ///< seconds since 1970
    qint64 durationInSeconds = 0;

    bool operator==(const StoredSession&) const = default;
};

/// Measures foreground time per session, keeps the sessions of the last 90 days, the days of
/// use and the first use in the client's store, and computes the retention figures sent with
/// every signal.
///
/// The current session's duration is kept in memory and stored at most once a minute, when the
/// application stops being the active one, and when it quits; the duration timer runs only while
/// the application is active. Lives on the main thread. Writes to the store run in order on a
/// worker of its own.
class SessionManager : public QObject
{
    Q_OBJECT
public:
    using SignalSender = std::function<void(const QString& name, const ParameterDictionary& parameters)>;

    /// The process-wide instance, created on first use with the initialized client's store
    /// (no store before `Beacon::initialize`). Owned by the library.
    static SessionManager& shared();

    /// `storeSuite` names the client's store (empty: no store). `sendSignal` sends the
    /// new-installation signal (null: through `Beacon::signal`).
    explicit SessionManager(const QString& storeSuite, SignalSender sendSignal = nullptr,
                            QObject* parent = nullptr);
    /// Waits for pending writes.
    ~SessionManager() override;

    void startNewSession();
    /// Adds the foreground time since the last update; stores the current session if it was not
    /// stored in the last minute.
    void updateSessionDuration();
    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    QList<StoredSession> recentSessions() const { return m_recentSessions; }
    double currentSessionDuration() const { return m_currentSessionDuration; }
    bool isTimerRunning() const { return m_sessionDurationUpdater.isActive(); }
    /// −1 without sessions, the one session's duration, else the mean of all but the current one.
    qint64 averageSessionSeconds() const;
    /// The "Beacon.Acquisition.*" and "Beacon.Retention.*" figures.
    ParameterDictionary retentionParameters() const;

    /// Blocks until every store write posted so far has run.
    void waitForPendingWrites();

    /// The JSON kept under "recentSessions".
    static QByteArray encodeSessions(const QList<StoredSession>& sessions);
    static std::optional<QList<StoredSession>> decodeSessions(const QByteArray& json);
    /// A duration or time in whole seconds, cut toward zero and kept inside the 64-bit range;
    /// none when it is not a number.
    static std::optional<qint64> wholeSeconds(double seconds);

    static constexpr double retentionPeriod = 7'776'000.0; ///< 90 days
    static constexpr double lastMonthPeriod = 2'592'000.0; ///< 30 days
    /// The shortest time between two stores of the running session's duration.
    static constexpr double persistInterval = 60.0;

private:
    void updateDistinctDaysUsed();
    void stopSessionTimer();
    void persistCurrentSession(bool now);
    void handleWillTerminate();
    void write(std::function<void(QSettings&)> change);

    QString m_storeSuite;
    SignalSender m_sendSignal;
    QList<StoredSession> m_recentSessions;
    double m_currentSessionStartedAt = -1e300;
    double m_currentSessionDuration = 0;
    QTimer m_sessionDurationUpdater;
    std::optional<double> m_sessionDurationLastUpdatedAt;
    std::optional<double> m_lastPersistedAt;
    std::unique_ptr<SerialQueue> m_persistenceQueue;
};
