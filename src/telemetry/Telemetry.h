#pragma once

#include <QHash>
#include <QString>

#include "telemetry/AppSignal.h"

using SignalParameters = QHash<QString, QString>;

/// The application's own layer over the analytics client: adds "app" = "Ovelin" to every
/// signal and throttles the bursty ones per throttle key.
class Telemetry
{
public:
    static Telemetry& shared();

    /// Configures and starts the analytics client with the application's identifier (start-up step).
    static void initializeAnalytics();

    void send(AppSignal signal, const SignalParameters& parameters = {});
    void sendThrottled(AppSignal signal, const SignalParameters& parameters, double interval);

private:
    Telemetry() = default;
};
