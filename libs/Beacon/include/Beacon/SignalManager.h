#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QHash>
#include <QObject>
#include <QTimer>

#include "Beacon/SignalCache.h"
#include "Beacon/TelemetryManagerConfiguration.h"

class QNetworkAccessManager;
class QNetworkReply;
class SerialQueue;

/// Why an upload was refused.
struct TelemetryError
{
    enum Kind
    {
        invalidStatusCode,
        unauthorised,
        forbidden,
        payloadTooLarge,
        invalidEndpointUrl
    };

    Kind kind = invalidStatusCode;
    int statusCode = 0; ///< for `invalidStatusCode`

    static TelemetryError fromStatusCode(int statusCode);
    QString description() const;
};

/// Turns accepted signals into records, keeps them in the cache and uploads them in batches of
/// at most 100 on a timer (10 s by default) that runs only while records wait. A failed batch
/// goes back behind the waiting records; nothing is dropped. At quit the waiting records are
/// written to the cache file.
///
/// Lives on the main thread; `processSignal` and the timer run there, records are built on a
/// worker and uploads do not block.
class SignalManager : public QObject
{
    Q_OBJECT
public:
    using ConfigurationProvider = std::function<TelemetryManagerConfiguration()>;

    /// `configuration` is asked for the current configuration whenever one is needed.
    /// `storeSuite` names the client's store holding the default user identifier (empty: none).
    /// Loads the cache file, makes a first upload attempt and starts the timer.
    SignalManager(ConfigurationProvider configuration, const QString& storeSuite, QObject* parent = nullptr);
    ~SignalManager() override;

    void processSignal(const QString& name, const ParameterDictionary& parameters,
                       std::optional<double> floatValue, const std::optional<QString>& customUserID,
                       bool isTestMode);
    void attemptToSendNextBatchOfCachedSignals();
    /// Writes what waits (including batches still in flight) to the cache file.
    void appWillTerminate();
    /// One upload attempt now, then one every `sendInterval` while records wait.
    void startTimer();
    /// Whether the upload timer runs (only while records wait).
    bool isSendTimerActive() const { return m_sendTimer.isActive(); }

    SignalCache& signalCache() { return *m_signalCache; }
    /// The user identifier used when the signal names none.
    QString defaultUserIdentifier() const;
    /// Blocks until every record handed to `processSignal` so far is in the cache.
    void waitForProcessing();
    int uploadsInFlight() const { return static_cast<int>(m_inFlight.size()); }

    /// The ingestion address for the configuration; invalid when none can be formed.
    static QUrl ingestionURL(const TelemetryManagerConfiguration& configuration);

Q_SIGNALS:
    /// An upload of `count` records has ended, successfully or not.
    void batchFinished(int count, bool succeeded);

private:
    void sendBatch(const QList<SignalPostBody>& batch);
    void recordsWaiting();
    void finishBatch(QNetworkReply* reply);
    void log(LogLevel level, const QString& message) const;

    ConfigurationProvider m_configuration;
    QString m_storeSuite;
    std::unique_ptr<SignalCache> m_signalCache;
    QTimer m_sendTimer;
    QNetworkAccessManager* m_network = nullptr;
    QHash<QNetworkReply*, QList<SignalPostBody>> m_inFlight;
    std::unique_ptr<SerialQueue> m_recordQueue;
};
