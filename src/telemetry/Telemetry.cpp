#include "telemetry/Telemetry.h"

#include <Beacon/Beacon.h>
#include <Beacon/Clock.h>
#include <Beacon/TelemetryManagerConfiguration.h>

#include <QtGlobal>

QString signalName(AppSignal signal)
{
    switch (signal) {
    case AppSignal::AppLaunched:
        return QStringLiteral("AppLaunched");
    case AppSignal::WindowOpened:
        return QStringLiteral("WindowOpened");
    case AppSignal::PastePerformed:
        return QStringLiteral("PastePerformed");
    case AppSignal::PreferencesOpened:
        return QStringLiteral("PreferencesOpened");
    case AppSignal::SettingsChanged:
        return QStringLiteral("SettingsChanged");
    }
    return {};
}

Telemetry& Telemetry::shared()
{
    static Telemetry instance;
    return instance;
}

QUrl Telemetry::analyticsBaseURL()
{
    const QString configured = qEnvironmentVariable("OVELIN_ANALYTICS_URL").trimmed();
    if (!configured.isEmpty()) {
        const QUrl url(configured, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (url.isValid() && !url.host().isEmpty() &&
            (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
            return url;
        qWarning("OVELIN_ANALYTICS_URL is not an http(s) address; using the default analytics address");
    }
    return TelemetryManagerConfiguration::defaultApiBaseURL();
}

TelemetryManagerConfiguration Telemetry::analyticsConfiguration()
{
    TelemetryManagerConfiguration configuration(QString::fromLatin1(applicationIdentifier), std::nullopt,
                                                analyticsBaseURL());
    configuration.appVersion = QStringLiteral(OVELIN_VERSION);
    configuration.buildNumber = QStringLiteral(OVELIN_BUILD_NUMBER);
    return configuration;
}

void Telemetry::initializeAnalytics()
{
    Beacon::initialize(analyticsConfiguration());
}

void Telemetry::send(AppSignal signal, const SignalParameters& parameters)
{
    SignalParameters merged{{QStringLiteral("app"), QStringLiteral("Ovelin")}};
    merged.insert(parameters);
    if (m_sender)
        m_sender(signalName(signal), merged);
    else
        Beacon::signal(signalName(signal), merged);
}

QString Telemetry::throttleKey(AppSignal signal, const SignalParameters& parameters)
{
    static const QString keys[] = {QStringLiteral("placement"), QStringLiteral("source"),
                                   QStringLiteral("limitType"), QStringLiteral("contentType")};
    for (const QString& key : keys) {
        const auto it = parameters.constFind(key);
        if (it != parameters.cend())
            return signalName(signal) + QLatin1Char('|') + it.value();
    }
    return signalName(signal);
}

void Telemetry::sendThrottled(AppSignal signal, const SignalParameters& parameters, double interval)
{
    const QString key = throttleKey(signal, parameters);
    const double now = Clock::current().now();
    std::lock_guard lock(m_queue);
    const auto it = m_lastSent.constFind(key);
    if (it != m_lastSent.cend() && now - it.value() < interval)
        return;
    m_lastSent.insert(key, now);
    send(signal, parameters);
}

void Telemetry::setSender(Sender sender)
{
    m_sender = std::move(sender);
}

void Telemetry::resetThrottling()
{
    std::lock_guard lock(m_queue);
    m_lastSent.clear();
}
