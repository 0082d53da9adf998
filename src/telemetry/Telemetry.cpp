#include "telemetry/Telemetry.h"

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

void Telemetry::initializeAnalytics() {}

// Until the analytics client is wired in, signals go nowhere.
void Telemetry::send(AppSignal, const SignalParameters&) {}

void Telemetry::sendThrottled(AppSignal, const SignalParameters&, double) {}
