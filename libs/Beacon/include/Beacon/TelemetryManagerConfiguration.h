#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QHash>
#include <QString>
#include <QUrl>
#include <QUuid>

#include "Beacon/LogHandler.h"

class MetadataEnricher;
class QNetworkAccessManager;

/// Parameters of a signal: key → value, all text.
using ParameterDictionary = QHash<QString, QString>;

/// Everything the analytics client needs to know about the application and how to behave.
/// A plain value: the client keeps its own copy (`Beacon::initialize`).
class TelemetryManagerConfiguration
{
public:
    /// `salt` defaults to "", `baseURL` to `defaultApiBaseURL()`, no namespace.
    explicit TelemetryManagerConfiguration(const QString& appID,
                                           const std::optional<QString>& salt = std::nullopt,
                                           const std::optional<QUrl>& baseURL = std::nullopt,
                                           const std::optional<QString>& namespaceName = std::nullopt);

    /// The ingestion service's address used when none is given.
    static QUrl defaultApiBaseURL();

    QString telemetryAppID;
    QUrl apiBaseURL;
    /// Selects the namespaced ingestion path ("namespace" is a C++ keyword).
    std::optional<QString> namespace_;
    QString salt;
    std::optional<QString> defaultUser;
    std::optional<QString> defaultSignalPrefix;
    std::optional<QString> defaultParameterPrefix;
    /// Evaluated for every signal, on the thread that sends it.
    std::function<ParameterDictionary()> defaultParameters = [] { return ParameterDictionary{}; };
    bool sendNewSessionBeganSignal = true;
    QUuid sessionID = QUuid::createUuid();
    /// Used for uploads when set; not owned, must live on the main thread and outlive the client.
    /// Null: the client makes its own.
    QNetworkAccessManager* urlSession = nullptr;
    bool sendSignalsInDebugConfiguration = false;
    std::optional<bool> testMode;
    /// None: preview mode exactly when XCODE_RUNNING_FOR_PREVIEWS is "1".
    std::optional<bool> swiftUIPreviewMode;
    bool analyticsDisabled = false;
    bool reservedParameterWarningsEnabled = true;
    bool sessionStatsEnabled = true;
    bool showDebugLogs = false;
    std::optional<LogHandler> logHandler = LogHandler::standard();
    std::vector<std::shared_ptr<const MetadataEnricher>> metadataEnrichers;

    /// The application's version strings for the payload ("appVersion", "buildNumber").
    QString appVersion;
    QString buildNumber;

    /// Timing of the client; tests shorten them.
    std::chrono::milliseconds sendInterval{10'000};
    std::chrono::milliseconds requestTimeout{60'000};
    std::chrono::milliseconds sessionBeginDelay{500};
    /// Where unsent records are kept across a quit. Empty: "telemetrysignalcache" in the caches folder.
    QString signalCacheFile;

    bool isPreviewMode() const;
    bool isTestMode() const { return testMode.value_or(false); }
    void log(LogLevel level, const QString& message) const;
};
