#pragma once

#include <QDateTime>

#include "Beacon/TelemetryManagerConfiguration.h"

class SessionManager;

/// The parameters the client adds to every signal: platform, application, locale, calendar and
/// retention figures. Build it on the main thread (it reads the palette and the screens).
namespace DefaultSignalPayload {

inline constexpr auto sdkName = "CppSDK";
inline constexpr auto sdkVersion = "1.0.0";

/// Every default parameter at `now` (seconds since 1970); `sessions` gives the retention figures
/// (none: they are left out).
ParameterDictionary parameters(const TelemetryManagerConfiguration& configuration,
                               const SessionManager* sessions, double now);

/// "UTC+2", "UTC-5", "UTC+5:30", "UTC+0" for an offset from UTC in seconds.
QString timeZoneDescription(int offsetFromUtcSeconds);
/// The "Beacon.Calendar.*" figures of a local date and time.
ParameterDictionary calendarParameters(const QDateTime& localTime);
/// Major, minor and patch numbers of a version text such as "6.1.0-18-amd64" (missing ones are 0).
QList<int> versionNumbers(const QString& versionText);
/// The machine's model: the DMI product name under `dmiFolder`, else the `uname` machine field.
QString modelName(const QString& dmiFolder = QStringLiteral("/sys/class/dmi/id"));

} // namespace DefaultSignalPayload
