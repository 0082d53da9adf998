#include "Beacon/SignalCache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The records say what the user did and when: like the history, they are the user's alone.
constexpr auto ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr auto ownerOnlyFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

void makePrivateFolder(const QString& folder)
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, ownerOnlyFolder);
}

} // namespace

SignalCache::SignalCache(std::optional<LogHandler> logHandler, const QString& filePath)
    : m_logHandler(std::move(logHandler)), m_filePath(filePath.isEmpty() ? defaultFilePath() : filePath)
{
    load();
}

QString SignalCache::defaultFilePath()
{
    // The same rule as the application's data folder: one folder named after the application.
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u'/' +
           QCoreApplication::applicationName() + QStringLiteral("/telemetrysignalcache");
}

void SignalCache::push(const SignalPostBody& record)
{
    QWriteLocker locker(&m_lock);
    m_cachedSignals.append(record);
    dropOldestBeyondLimit();
}

void SignalCache::push(const QList<SignalPostBody>& records)
{
    QWriteLocker locker(&m_lock);
    m_cachedSignals.append(records);
    dropOldestBeyondLimit();
}

void SignalCache::dropOldestBeyondLimit()
{
    const qsizetype excess = m_cachedSignals.size() - maximumNumberOfCachedSignals;
    if (excess <= 0)
        return;
    m_cachedSignals.remove(0, excess);
    log(LogLevel::error, QStringLiteral("Telemetry cache full: dropped the %1 oldest signals").arg(excess));
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
    makePrivateFolder(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    const bool written = file.open(QIODevice::WriteOnly) && file.setPermissions(ownerOnlyFile) &&
                         file.write(data) == data.size() && file.commit();
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
    if (m_filePath == defaultFilePath())
        moveLegacyCacheFile();
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    file.close();
    // Read in full before the file goes: a crash in between must not lose the records.
    const auto records = SignalPostBody::decodeList(data);
    QFile::remove(m_filePath);
    if (!records)
        return;
    log(LogLevel::info, QStringLiteral("Loaded %1 signals").arg(records->size()));
    m_cachedSignals = *records;
    dropOldestBeyondLimit();
}

void SignalCache::moveLegacyCacheFile()
{
    // Earlier versions kept the file in the organisation/application folder of the caches.
    const QString legacy = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                           QStringLiteral("/telemetrysignalcache");
    if (legacy == m_filePath || !QFile::exists(legacy) || QFile::exists(m_filePath))
        return;
    makePrivateFolder(QFileInfo(m_filePath).absolutePath());
    QFile::rename(legacy, m_filePath);
}

void SignalCache::log(LogLevel level, const QString& message) const
{
    if (m_logHandler)
        m_logHandler->log(level, message);
}
