#include "Beacon/TelemetryManagerConfiguration.h"

#include <QCoreApplication>

TelemetryManagerConfiguration::TelemetryManagerConfiguration(const QString& appID,
                                                             const std::optional<QString>& salt,
                                                             const std::optional<QUrl>& baseURL,
                                                             const std::optional<QString>& namespaceName)
    : telemetryAppID(appID), apiBaseURL(baseURL.value_or(defaultApiBaseURL())), namespace_(namespaceName),
      salt(salt.value_or(QString())), appVersion(QCoreApplication::applicationVersion())
{
}

QUrl TelemetryManagerConfiguration::defaultApiBaseURL()
{
    return QUrl(QStringLiteral("https://beacon.ovelin.app/"));
}

bool TelemetryManagerConfiguration::isPreviewMode() const
{
    if (swiftUIPreviewMode)
        return *swiftUIPreviewMode;
    return qgetenv("XCODE_RUNNING_FOR_PREVIEWS") == "1";
}

void TelemetryManagerConfiguration::log(LogLevel level, const QString& message) const
{
    if (logHandler)
        logHandler->log(level, message);
}
