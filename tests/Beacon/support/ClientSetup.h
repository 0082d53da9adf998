#pragma once

#include <chrono>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <Beacon/Beacon.h>
#include <Beacon/SignalManager.h>

/// A client that never sends on its own, sends no session signals and caches its records in `dir`.
inline TelemetryManagerConfiguration testConfiguration(const QTemporaryDir& dir,
                                                       const QUrl& baseUrl = QUrl(u"http://127.0.0.1:9/"_qs))
{
    TelemetryManagerConfiguration config(u"TEST-APP"_qs, std::nullopt, baseUrl);
    config.logHandler.reset();
    config.sendInterval = std::chrono::hours(1);
    config.sessionStatsEnabled = false;
    config.sendNewSessionBeganSignal = false;
    config.signalCacheFile = dir.filePath(u"telemetrysignalcache"_qs);
    return config;
}

/// Lets queued hand-overs run and returns the records then waiting in the client's cache, taking
/// them out when `drain` is set.
inline QList<SignalPostBody> cachedRecords(bool drain = false)
{
    QCoreApplication::processEvents();
    SignalManager* manager = Beacon::signalManager();
    if (!manager)
        return {};
    manager->waitForProcessing();
    const QList<SignalPostBody> records = manager->signalCache().cachedSignals();
    while (drain && !manager->signalCache().pop().isEmpty()) {
    }
    return records;
}
