#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QList>
#include <QObject>

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
/// The current session's duration is counted from timestamps while the application is active:
/// brought up to date whenever a signal is sent, when the application stops being the active one
/// and when it quits (nothing ticks in between). It is stored at most once a minute, and in full
/// when leaving the foreground and quitting. Lives on the main thread. Writes to the store run in
/// order on a worker of its own.
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
    /// stored in the last minute. Does nothing while no session counts.
    void updateSessionDuration();
    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    QList<StoredSession> recentSessions() const { return m_recentSessions; }
    double currentSessionDuration() const { return m_currentSessionDuration; }
    /// A session has begun and the application is active.
    bool isCounting() const { return m_counting; }
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
    void stopCounting();
    void startCounting();
    void persistCurrentSession(bool now);
    void handleWillTerminate();
    void write(std::function<void(QSettings&)> change);

    QString m_storeSuite;
    SignalSender m_sendSignal;
    QList<StoredSession> m_recentSessions;
    double m_currentSessionStartedAt = -1e300;
    double m_currentSessionDuration = 0;
    bool m_counting = false;
    std::optional<double> m_sessionDurationLastUpdatedAt;
    std::optional<double> m_lastPersistedAt;
    std::unique_ptr<SerialQueue> m_persistenceQueue;
};
