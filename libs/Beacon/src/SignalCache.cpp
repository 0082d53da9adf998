#include "Beacon/SignalCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

SignalCache::SignalCache(std::optional<LogHandler> logHandler, const QString& filePath)
    : m_logHandler(std::move(logHandler)), m_filePath(filePath.isEmpty() ? defaultFilePath() : filePath)
{
    load();
}

QString SignalCache::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/telemetrysignalcache");
}

void SignalCache::push(const SignalPostBody& record)
{
    QWriteLocker locker(&m_lock);
    m_cachedSignals.append(record);
}

void SignalCache::push(const QList<SignalPostBody>& records)
{
    QWriteLocker locker(&m_lock);
    m_cachedSignals.append(records);
}

QList<SignalPostBody> SignalCache::pop()
{
    QWriteLocker locker(&m_lock);
    const qsizetype n = std::min(maximumNumberOfSignalsToPopAtOnce, m_cachedSignals.size());
    QList<SignalPostBody> batch = m_cachedSignals.mid(0, n);
    m_cachedSignals.remove(0, n);
    return batch;
}

qsizetype SignalCache::count() const
{
    QReadLocker locker(&m_lock);
    return m_cachedSignals.size();
}

QList<SignalPostBody> SignalCache::cachedSignals() const
{
    QReadLocker locker(&m_lock);
    return m_cachedSignals;
}

bool SignalCache::backupCache()
{
    QWriteLocker locker(&m_lock);
    const QByteArray data = SignalPostBody::encodeList(m_cachedSignals);
    // The caches folder may not exist yet on a fresh system; without it the records would be lost.
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
    if (!written) {
        log(LogLevel::error, QStringLiteral("Error saving Telemetry cache"));
        return false;
    }
    log(LogLevel::info, QStringLiteral("Saved Telemetry cache %1 bytes of %2 signals")
                            .arg(data.size())
                            .arg(m_cachedSignals.size()));
    m_cachedSignals.clear();
    return true;
}

void SignalCache::load()
{
    QWriteLocker locker(&m_lock);
    log(LogLevel::info,
        QStringLiteral("Loading Telemetry cache from: ") + QUrl::fromLocalFile(m_filePath).toString());
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    file.close();
    QFile::remove(m_filePath);
    const auto records = SignalPostBody::decodeList(data);
    if (!records)
        return;
    log(LogLevel::info, QStringLiteral("Loaded %1 signals").arg(records->size()));
    m_cachedSignals = *records;
}

void SignalCache::log(LogLevel level, const QString& message) const
{
    if (m_logHandler)
        m_logHandler->log(level, message);
}
