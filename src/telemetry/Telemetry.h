#pragma once

#include <functional>
#include <mutex>

#include <QHash>
#include <QString>
#include <QUrl>

#include "telemetry/AppSignal.h"

class TelemetryManagerConfiguration;

using SignalParameters = QHash<QString, QString>;

/// The application's own layer over the analytics client: adds "app" = "Ovelin" to every
/// signal and throttles the bursty ones per throttle key.
class Telemetry
{
public:
    /// The application's identifier at the analytics service.
    static constexpr auto applicationIdentifier = "6F0C2E91-3B7A-4D58-A1E4-92C7B05D3F18";

    static Telemetry& shared();

    /// Configures and starts the analytics client with the application's identifier (start-up step).
    static void initializeAnalytics();
    /// The configuration `initializeAnalytics` uses.
    static TelemetryManagerConfiguration analyticsConfiguration();
    /// The ingestion base address: OVELIN_ANALYTICS_URL when it holds an http(s) address, else the
    /// client's default.
    static QUrl analyticsBaseURL();

    /// Sends at once. Any thread.
    void send(AppSignal signal, const SignalParameters& parameters = {});
    /// Sends unless a signal with the same throttle key went through less than `interval`
    /// seconds ago. Any thread; time comes from the analytics client's `Clock`.
    void sendThrottled(AppSignal signal, const SignalParameters& parameters, double interval);

    /// The signal's name, or its name, "|" and the value of the first of "placement", "source",
    /// "limitType", "contentType" that the parameters hold.
    static QString throttleKey(AppSignal signal, const SignalParameters& parameters);

    /// Where signals go (tests): null restores the analytics client. Set it before sending.
    using Sender = std::function<void(const QString& name, const SignalParameters& parameters)>;
    void setSender(Sender sender);
    /// Forgets every throttle key (tests).
    void resetThrottling();

private:
    Telemetry() = default;

    std::mutex m_queue; // guards m_lastSent
    QHash<QString, double> m_lastSent;
    Sender m_sender;
};
