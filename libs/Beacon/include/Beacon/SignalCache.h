#pragma once

#include <optional>

#include <QList>
#include <QReadWriteLock>
#include <QString>

#include "Beacon/LogHandler.h"
#include "Beacon/SignalPostBody.h"

/// The records waiting to be uploaded, oldest first. Thread-safe.
///
/// Construction loads (and then deletes) the cache file left by the previous run; `backupCache`
/// writes the waiting records to it. At most `maximumNumberOfCachedSignals` wait: beyond that the
/// oldest are dropped, with one log line.
class SignalCache
{
public:
    /// `filePath` empty: "telemetrysignalcache" in the application's folder of the caches
    /// (`$XDG_CACHE_HOME/<application name>/`), where a file of the earlier location is moved.
    explicit SignalCache(std::optional<LogHandler> logHandler, const QString& filePath = QString());

    static QString defaultFilePath();

    void push(const SignalPostBody& record);
    /// Appends `records` behind everything already waiting.
    void push(const QList<SignalPostBody>& records);
    /// Removes and returns up to `maximumNumberOfSignalsToPopAtOnce` of the oldest records.
    QList<SignalPostBody> pop();
    qsizetype count() const;
    /// A copy of what is waiting.
    QList<SignalPostBody> cachedSignals() const;
    /// Writes every waiting record to the file and empties the list; on failure keeps the list.
    /// Returns whether the file was written.
    bool backupCache();

    QString filePath() const { return m_filePath; }

    static constexpr qsizetype maximumNumberOfSignalsToPopAtOnce = 100;
    static constexpr qsizetype maximumNumberOfCachedSignals = 10000;

private:
    void load();
    void moveLegacyCacheFile();
    void dropOldestBeyondLimit();
    void log(LogLevel level, const QString& message) const;

    std::optional<LogHandler> m_logHandler;
    QString m_filePath;
    mutable QReadWriteLock m_lock;
    QList<SignalPostBody> m_cachedSignals;
};
