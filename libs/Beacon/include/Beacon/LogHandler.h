#pragma once

#include <functional>
#include <optional>

#include <QString>

/// Severity of one of the analytics client's log lines, lowest first.
enum class LogLevel
{
    debug = 0,
    info = 1,
    error = 2
};

/// "DEBUG", "INFO" or "ERROR".
QString logLevelDescription(LogLevel level);
/// The level with that raw value, or none above 2 (and below 0).
std::optional<LogLevel> logLevelFromRawValue(int rawValue);

/// Receives the analytics client's own (English) log lines. Copyable value; the handler
/// function is shared between copies and may be called from any thread.
struct LogHandler
{
    using Writer = std::function<void(LogLevel, const QString&)>;

    LogLevel logLevel = LogLevel::info;
    Writer handler;

    /// Delivers the line to `handler` when `level` is at or above `logLevel`.
    void log(LogLevel level, const QString& message) const;

    /// Prints "[Beacon: LEVEL] message" to standard output.
    static void stdoutLogWriter(LogLevel level, const QString& message);
    /// Writes to the system log (syslog, identity "Beacon") at the matching priority.
    static void systemLogWriter(LogLevel level, const QString& message);

    /// The client's default: level info, written to the system log.
    static LogHandler standard();
};
