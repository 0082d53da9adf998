#pragma once

#include <QString>

/// The application's usage signals. The case order is fixed.
enum class AppSignal
{
    AppLaunched = 0,
    WindowOpened,
    PastePerformed,
    PreferencesOpened,
    SettingsChanged
};

/// The name sent for a signal ("AppLaunched", "WindowOpened", ...).
QString signalName(AppSignal signal);
