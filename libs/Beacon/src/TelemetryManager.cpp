#include "Beacon/TelemetryManager.h"

#include <QTimer>

#include "Beacon/Beacon.h"
#include "Beacon/SessionManager.h"
#include "Beacon/SignalManager.h"
#include "Beacon/UserStore.h"

namespace {

const QString reservedPrefix = QStringLiteral("Beacon.");

ParameterDictionary prefixed(const ParameterDictionary& parameters, const std::optional<QString>& prefix)
{
    if (!prefix || prefix->isEmpty())
        return parameters;
    ParameterDictionary result;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        result.insert(it.key().startsWith(reservedPrefix) ? it.key() : *prefix + it.key(), it.value());
    return result;
}

bool hasReservedPrefix(const QString& name)
{
    return name.toLower().startsWith(QLatin1String("beacon."));
}

void warnAboutParameterKeys(const TelemetryManagerConfiguration& config,
                            const ParameterDictionary& parameters)
{
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
        const QString& key = it.key();
        if (hasReservedPrefix(key)) {
            config.log(LogLevel::error,
                       QStringLiteral("Sending parameter with reserved key prefix 'Beacon.' will "
                                      "cause unexpected behavior. Please use another prefix instead."));
        } else if (Beacon::reservedNames().contains(key.toLower())) {
            config.log(LogLevel::error,
                       QStringLiteral("Sending parameter with reserved key '") + key +
                           QStringLiteral("' will cause unexpected behavior. Please use another "
                                          "key instead."));
        }
    }
}

} // namespace

TelemetryManager::TelemetryManager(const TelemetryManagerConfiguration& configuration, QObject* parent)
    : QObject(parent), m_configuration(configuration),
      m_storeSuiteName(UserStore::suiteName(configuration.telemetryAppID))
{
    m_signalManager = new SignalManager([this] { return this->configuration(); }, m_storeSuiteName, this);
    QTimer::singleShot(configuration.sessionBeginDelay, this, &TelemetryManager::generateNewSession);
}

TelemetryManager::~TelemetryManager() = default;

TelemetryManagerConfiguration TelemetryManager::configuration() const
{
    QReadLocker locker(&m_lock);
    return m_configuration;
}

void TelemetryManager::updateConfiguration(const std::function<void(TelemetryManagerConfiguration&)>& change)
{
    QWriteLocker locker(&m_lock);
    change(m_configuration);
}

void TelemetryManager::generateNewSession()
{
    updateConfiguration([](TelemetryManagerConfiguration& c) { c.sessionID = QUuid::createUuid(); });
    const TelemetryManagerConfiguration config = configuration();
    if (config.sessionStatsEnabled)
        SessionManager::shared().startNewSession();
    if (config.sendNewSessionBeganSignal)
        signal(QStringLiteral("Beacon.Session.started"), {}, std::nullopt, std::nullopt);
}

void TelemetryManager::signal(const QString& name, const ParameterDictionary& parameters,
                              std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    TelemetryManagerConfiguration config = configuration();
    if (config.analyticsDisabled)
        return;

    const QString signalName = config.defaultSignalPrefix.value_or(QString()) + name;
    const ParameterDictionary signalParameters = prefixed(parameters, config.defaultParameterPrefix);

    if (config.reservedParameterWarningsEnabled) {
        if (hasReservedPrefix(signalName)) {
            config.log(LogLevel::error,
                       QStringLiteral("Sending signal with reserved prefix 'Beacon.' will cause "
                                      "unexpected behavior. Please use another prefix instead."));
        } else if (Beacon::reservedNames().contains(signalName.toLower())) {
            config.log(LogLevel::error,
                       QStringLiteral("Sending signal with reserved name '") + signalName +
                           QStringLiteral("' will cause unexpected behavior. Please use another "
                                          "name instead."));
        }
        warnAboutParameterKeys(config, signalParameters);
    }

    config = configuration();
    if (config.isPreviewMode() || config.analyticsDisabled)
        return;
    ParameterDictionary merged =
        prefixed(config.defaultParameters ? config.defaultParameters() : ParameterDictionary{},
                 config.defaultParameterPrefix);
    merged.insert(signalParameters);
    if (config.reservedParameterWarningsEnabled)
        warnAboutParameterKeys(config, merged);

    const bool testMode = config.isTestMode();
    QMetaObject::invokeMethod(
        m_signalManager,
        [manager = m_signalManager, signalName, merged, floatValue, customUserID, testMode] {
            manager->processSignal(signalName, merged, floatValue, customUserID, testMode);
        },
        Qt::QueuedConnection);
}
