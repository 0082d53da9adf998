#include "Beacon/SignalManager.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QStringDecoder>
#include <QUuid>

#include "Beacon/ApplicationActivity.h"
#include "Beacon/Clock.h"
#include "Beacon/DefaultSignalPayload.h"
#include "Beacon/MetadataEnricher.h"
#include "Beacon/SessionManager.h"
#include "Beacon/UserStore.h"
#include "SerialQueue.h"

namespace {

std::optional<QString> validUtf8(const QByteArray& data)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString textOf(const SignalPostBody& record)
{
    return QString::fromUtf8(record.toJson());
}

} // namespace

TelemetryError TelemetryError::fromStatusCode(int statusCode)
{
    switch (statusCode) {
    case 401:
        return {unauthorised, statusCode};
    case 403:
        return {forbidden, statusCode};
    case 413:
        return {payloadTooLarge, statusCode};
    default:
        return {invalidStatusCode, statusCode};
    }
}

QString TelemetryError::description() const
{
    switch (kind) {
    case invalidStatusCode:
        return QStringLiteral("Invalid status code %1").arg(statusCode);
    case unauthorised:
        return QStringLiteral("Unauthorized (401)");
    case forbidden:
        return QStringLiteral("Forbidden (403)");
    case payloadTooLarge:
        return QStringLiteral("Payload is too large (413)");
    case invalidEndpointUrl:
        return QStringLiteral("Invalid endpoint URL");
    }
    return {};
}

SignalManager::SignalManager(ConfigurationProvider configuration, const QString& storeSuite, QObject* parent)
    : QObject(parent), m_configuration(std::move(configuration)), m_storeSuite(storeSuite),
      m_recordQueue(std::make_unique<SerialQueue>())
{
    const TelemetryManagerConfiguration config = m_configuration();
    m_signalCache = std::make_unique<SignalCache>(config.logHandler, config.signalCacheFile);
    connect(&ApplicationActivity::shared(), &ApplicationActivity::willTerminate, this,
            &SignalManager::appWillTerminate);
    connect(&m_sendTimer, &QTimer::timeout, this, [this] {
        attemptToSendNextBatchOfCachedSignals();
        if (m_signalCache->count() == 0)
            m_sendTimer.stop();
    });
    startTimer();
}

SignalManager::~SignalManager()
{
    // Records still being built go nowhere once the manager is gone; let the worker finish first.
    m_recordQueue.reset();
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
        it.key()->deleteLater();
    }
}

void SignalManager::startTimer()
{
    attemptToSendNextBatchOfCachedSignals();
    m_sendTimer.stop();
    m_sendTimer.setInterval(m_configuration().sendInterval);
    if (m_signalCache->count() > 0)
        m_sendTimer.start();
}

void SignalManager::recordsWaiting()
{
    // The timer runs only while records wait, so an idle application is not woken for nothing.
    if (!m_sendTimer.isActive())
        m_sendTimer.start();
}

QString SignalManager::defaultUserIdentifier() const
{
    const TelemetryManagerConfiguration config = m_configuration();
    if (config.defaultUser)
        return *config.defaultUser;
    const QString key = QStringLiteral("defaultUserIdentifier");
    auto store = UserStore::open(m_storeSuite);
    if (store) {
        const QString stored = store->value(key).toString();
        if (!stored.isEmpty())
            return stored;
    }
    const QString fresh = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (store)
        store->setValue(key, fresh);
    return fresh;
}

void SignalManager::processSignal(const QString& name, const ParameterDictionary& parameters,
                                  std::optional<double> floatValue,
                                  const std::optional<QString>& customUserID, bool isTestMode)
{
    const TelemetryManagerConfiguration config = m_configuration();
    const QString user = customUserID.value_or(defaultUserIdentifier());
    const double now = Clock::current().now();
    // The session's duration is counted up to now at each signal instead of on a timer.
    SessionManager& sessions = SessionManager::shared();
    sessions.updateSessionDuration();
    const ParameterDictionary defaults = DefaultSignalPayload::parameters(config, &sessions, now);

    m_recordQueue->async(
        [this, config, name, parameters, floatValue, customUserID, isTestMode, user, defaults, now] {
            ParameterDictionary payload = defaults;
            for (const auto& enricher : config.metadataEnrichers) {
                if (enricher)
                    payload.insert(enricher->enrich(name, customUserID, floatValue));
            }
            payload.insert(parameters);

            SignalPostBody record;
            record.receivedAt = SignalPostBody::formatReceivedAt(now);
            record.appID = config.telemetryAppID;
            record.clientUser = UserStore::sha256Hex(user + config.salt);
            record.sessionID = config.sessionID.toString(QUuid::WithoutBraces).toUpper();
            record.type = name;
            record.floatValue = floatValue;
            record.payload = std::move(payload);
            record.isTestMode = isTestMode;

            config.log(LogLevel::debug, QStringLiteral("Process signal: ") + textOf(record));
            m_signalCache->push(record);
            QMetaObject::invokeMethod(this, &SignalManager::recordsWaiting, Qt::QueuedConnection);
        });
}

void SignalManager::waitForProcessing()
{
    m_recordQueue->waitUntilIdle();
}

void SignalManager::attemptToSendNextBatchOfCachedSignals()
{
    log(LogLevel::debug, QStringLiteral("Current signal cache count: %1").arg(m_signalCache->count()));
    const QList<SignalPostBody> batch = m_signalCache->pop();
    if (batch.isEmpty())
        return;
    log(LogLevel::info, QStringLiteral("Sending %1 signals leaving a cache of %2 signals")
                            .arg(batch.size())
                            .arg(m_signalCache->count()));
    sendBatch(batch);
}

QUrl SignalManager::ingestionURL(const TelemetryManagerConfiguration& configuration)
{
    const QString ns = configuration.namespace_.value_or(QString());
    const QString path =
        ns.isEmpty() ? QStringLiteral("/v2/") : QStringLiteral("/v2/namespace/") + ns + QLatin1Char('/');
    const QUrl base = configuration.apiBaseURL;
    if (!base.isValid() || base.isRelative() || base.host().isEmpty())
        return {};
    QUrl relative;
    relative.setPath(path);
    if (!relative.isValid())
        return {};
    return base.resolved(relative).adjusted(QUrl::NormalizePathSegments);
}

void SignalManager::sendBatch(const QList<SignalPostBody>& batch)
{
    const TelemetryManagerConfiguration config = m_configuration();
    const QUrl url = ingestionURL(config);
    if (!url.isValid()) {
        log(LogLevel::error, QStringLiteral("Unable to construct signal API URL for namespace ") +
                                 config.namespace_.value_or(QStringLiteral("nil")));
        log(LogLevel::error, TelemetryError{TelemetryError::invalidEndpointUrl, 0}.description());
        m_signalCache->push(batch);
        recordsWaiting();
        Q_EMIT batchFinished(static_cast<int>(batch.size()), false);
        return;
    }

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(static_cast<int>(config.requestTimeout.count()));
    const QByteArray body = SignalPostBody::encodeList(batch);
    if (config.logHandler) {
        if (const auto text = validUtf8(body))
            log(LogLevel::debug, *text);
    }

    QNetworkAccessManager* network = config.urlSession;
    if (!network) {
        if (!m_network)
            m_network = new QNetworkAccessManager(this);
        network = m_network;
    }
    QNetworkReply* reply = network->post(request, body);
    m_inFlight.insert(reply, batch);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishBatch(reply); });
}

void SignalManager::finishBatch(QNetworkReply* reply)
{
    reply->deleteLater();
    const QList<SignalPostBody> batch = m_inFlight.take(reply);
    const int count = static_cast<int>(batch.size());
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);

    if (!status.isValid() && reply->error() != QNetworkReply::NoError) {
        log(LogLevel::error, reply->errorString());
        m_signalCache->push(batch);
        recordsWaiting();
        Q_EMIT batchFinished(count, false);
        return;
    }
    const int code = status.isValid() ? status.toInt() : 200;
    if (code >= 200 && code <= 299) {
        if (const auto text = validUtf8(reply->readAll()))
            log(LogLevel::debug, *text);
        Q_EMIT batchFinished(count, true);
        return;
    }
    log(LogLevel::error, TelemetryError::fromStatusCode(code).description());
    m_signalCache->push(batch);
    recordsWaiting();
    Q_EMIT batchFinished(count, false);
}

void SignalManager::appWillTerminate()
{
    log(LogLevel::debug, QStringLiteral("appWillTerminate()"));
    // Records still being built and batches still on the wire would otherwise be lost.
    waitForProcessing();
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
        it.key()->deleteLater();
        m_signalCache->push(it.value());
    }
    m_inFlight.clear();
    m_signalCache->backupCache();
}

void SignalManager::log(LogLevel level, const QString& message) const
{
    m_configuration().log(level, message);
}
