#pragma once

#include <memory>
#include <optional>

#include <QSet>
#include <QString>

#include "Beacon/ErrorSignals.h"
#include "Beacon/TelemetryManagerConfiguration.h"

class QObject;
class SignalManager;
class TelemetryManager;

/// The analytics client's entry. All operations are static and may be called from any thread
/// unless noted; signals sent before `initialize` are dropped.
class Beacon
{
public:
    Beacon() = delete;

    /// Creates the process-wide client with a copy of `configuration`, replacing any earlier one.
    /// Main thread.
    static void initialize(const TelemetryManagerConfiguration& configuration);
    /// Drops the process-wide client (its waiting records are not saved). Main thread.
    static void terminate();
    static bool isInitialized();

    /// Sends a signal: prefixes, reserved-name warnings, default parameters, then the record is
    /// built, cached and uploaded. Never fails towards the caller.
    static void signal(const QString& name, const ParameterDictionary& parameters = {},
                       std::optional<double> floatValue = std::nullopt,
                       const std::optional<QString>& customUserID = std::nullopt);

    /// The client; null before `initialize`. Shared so a caller on another thread keeps it alive.
    static std::shared_ptr<TelemetryManager> manager();
    /// A copy of the active configuration; none before `initialize`.
    static std::optional<TelemetryManagerConfiguration> configuration();
    /// The client's signal manager; null before `initialize`. Owned by the client. Main thread.
    static SignalManager* signalManager();
    /// The client's own store (empty before `initialize`).
    static QString storeSuiteName();
    /// Begins a new session with a new session identifier. Main thread.
    static void generateNewSession();

    /// SHA-256 of `identifier` followed by `salt`, as 64 lower-case hex digits; empty when the
    /// text cannot be encoded as UTF-8.
    static QString hashedUserIdentifier(const QString& identifier, const QString& salt);
    /// The reserved signal and parameter names, lower-cased.
    static const QSet<QString>& reservedNames();

    // Duration signals: the time between begin and end, without inactive time unless asked.
    static void beginDurationSignal(const QString& name, const ParameterDictionary& parameters = {},
                                    bool includeBackgroundTime = false);
    static void endDurationSignal(const QString& name, const ParameterDictionary& parameters = {},
                                  std::optional<double> floatValue = std::nullopt,
                                  const std::optional<QString>& customUserID = std::nullopt);

    // Navigation signals. Main thread.
    static void sendNavigationChange(const QString& sourcePath, const QString& destinationPath,
                                     const std::optional<QString>& customUserID = std::nullopt);
    static void sendNavigationChange(const QString& destinationPath,
                                     const std::optional<QString>& customUserID = std::nullopt);
    /// Sends a navigation to `path` each time `view` (a widget or window) is shown. The tracker
    /// is owned by `view`.
    static void trackNavigationPath(QObject* view, const QString& path);
    /// The destination of the last navigation signal, none before the first.
    static std::optional<QString> previousNavigationPath();
    static void resetNavigationPath();

    // Error signals.
    static void sendErrorSignal(const QString& id, std::optional<ErrorCategory> category = std::nullopt,
                                const std::optional<QString>& message = std::nullopt,
                                const ParameterDictionary& parameters = {},
                                std::optional<double> floatValue = std::nullopt,
                                const std::optional<QString>& customUserID = std::nullopt);
    /// Category always sent; the message is the error's description.
    static void sendErrorSignal(const IdentifiableError& error,
                                ErrorCategory category = ErrorCategory::thrownException,
                                const ParameterDictionary& parameters = {},
                                std::optional<double> floatValue = std::nullopt,
                                const std::optional<QString>& customUserID = std::nullopt);
    /// Category always sent; the message only when given.
    static void sendErrorSignal(const IdentifiableError& error, ErrorCategory category,
                                const std::optional<QString>& message,
                                const ParameterDictionary& parameters = {},
                                std::optional<double> floatValue = std::nullopt,
                                const std::optional<QString>& customUserID = std::nullopt);
};
