#include "Beacon/LogHandler.h"

#include <cstdio>
#include <mutex>

#include <syslog.h>

QString logLevelDescription(LogLevel level)
{
    switch (level) {
    case LogLevel::debug:
        return QStringLiteral("DEBUG");
    case LogLevel::info:
        return QStringLiteral("INFO");
    case LogLevel::error:
        return QStringLiteral("ERROR");
    }
    return {};
}

std::optional<LogLevel> logLevelFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 2)
        return std::nullopt;
    return static_cast<LogLevel>(rawValue);
}

void LogHandler::log(LogLevel level, const QString& message) const
{
    if (static_cast<int>(level) < static_cast<int>(logLevel) || !handler)
        return;
    handler(level, message);
}

void LogHandler::stdoutLogWriter(LogLevel level, const QString& message)
{
    static std::mutex outputMutex;
    const QByteArray line =
        (QStringLiteral("[Beacon: ") + logLevelDescription(level) + QStringLiteral("] ") + message).toUtf8() +
        '\n';
    std::lock_guard lock(outputMutex);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}

void LogHandler::systemLogWriter(LogLevel level, const QString& message)
{
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("Beacon", LOG_PID, LOG_USER); });
    int priority = LOG_INFO;
    switch (level) {
    case LogLevel::debug:
        priority = LOG_DEBUG;
        break;
    case LogLevel::info:
        priority = LOG_INFO;
        break;
    case LogLevel::error:
        priority = LOG_ERR;
        break;
    }
    // syslog itself drops priorities masked out with setlogmask.
    syslog(priority, "%s", message.toUtf8().constData());
}

LogHandler LogHandler::standard()
{
    return LogHandler{LogLevel::info, &LogHandler::systemLogWriter};
}
