#include <algorithm>
#include <functional>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/SignalCache.h>
#include <Beacon/SignalManager.h>

#include "support/ClientSetup.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestIngestionServer.h"
#include "support/TestMain.h"

using namespace std::chrono_literals;

class TestSignalTransport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LogCapture m_log;
    std::unique_ptr<TestIngestionServer> m_server;

    std::unique_ptr<SignalManager>
    manager(const QUrl& baseUrl, const std::function<void(TelemetryManagerConfiguration&)>& adjust = {})
    {
        TelemetryManagerConfiguration config = testConfiguration(m_dir, baseUrl);
        config.logHandler = m_log.handler();
        if (adjust)
            adjust(config);
        return std::make_unique<SignalManager>([config] { return config; }, QString());
    }

    QString cacheFile() const { return m_dir.filePath(u"telemetrysignalcache"_qs); }

    /// Records whose "index" runs from `from`, or just those indices.
    static QList<SignalPostBody> records(int from, int count)
    {
        QList<SignalPostBody> list;
        for (const QString& index : indices(from, count)) {
            SignalPostBody body;
            body.type = u"Record"_qs;
            body.payload.insert(u"index"_qs, index);
            list.append(body);
        }
        return list;
    }

    static QStringList indices(int from, int count)
    {
        QStringList list;
        for (int i = from; i < from + count; ++i)
            list.append(QString::number(i));
        return list;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_log.clear();
        QFile::remove(cacheFile());
        m_server = std::make_unique<TestIngestionServer>();
        QVERIFY(m_server->listen());
    }

    void waitingRecordsGoOutInBatchesOfAHundredOnSuccessiveTicks()
    {
        auto signals = manager(m_server->baseUrl(), [](auto& config) { config.sendInterval = 150ms; });
        QVERIFY(!signals->isSendTimerActive()); // nothing waits: nothing wakes the application
        signals->signalCache().push(records(0, 250));
        signals->startTimer();

        QTRY_COMPARE_WITH_TIMEOUT(m_server->requests().size(), 3, 10000);
        QList<qsizetype> batchSizes;
        for (const QByteArray& body : m_server->bodies())
            batchSizes.append(QJsonDocument::fromJson(body).array().size());
        QCOMPARE(batchSizes, (QList<qsizetype>{100, 100, 50}));
        QTRY_COMPARE(m_server->acceptedPayloadValues(u"index"_qs), indices(0, 250));
        QCOMPARE(signals->signalCache().count(), 0);
        QVERIFY(m_log.contains(u"Sending 100 signals leaving a cache of 150 signals"_qs));

        const TestIngestionServer::Request first = m_server->requests().first();
        QCOMPARE(first.method, QByteArray("POST"));
        QCOMPARE(first.path, QByteArray("/v2/"));
        QCOMPARE(first.headers.value("content-type"), QByteArray("application/json"));

        // The timer stops once the cache is empty and starts again for a new signal.
        QTRY_VERIFY(!signals->isSendTimerActive());
        signals->processSignal(u"Later"_qs, {}, std::nullopt, std::nullopt, false);
        QTRY_VERIFY(signals->isSendTimerActive());
        QTRY_COMPARE(m_server->requests().size(), 4);
        QCOMPARE(QJsonDocument::fromJson(m_server->bodies().last()).array().first()[u"type"_qs].toString(),
                 u"Later"_qs);
        QTRY_VERIFY(!signals->isSendTimerActive());
    }

    void failedBatchGoesBehindTheRecordsAlreadyWaiting_data()
    {
        QTest::addColumn<int>("status"); // 0: nobody listens at first
        QTest::addColumn<QString>("logLine");
        QTest::newRow("server error") << 500 << u"Invalid status code 500"_qs;
        QTest::newRow("unauthorised") << 401 << u"Unauthorized (401)"_qs;
        QTest::newRow("forbidden") << 403 << u"Forbidden (403)"_qs;
        QTest::newRow("too large") << 413 << u"Payload is too large (413)"_qs;
        QTest::newRow("connection refused") << 0 << u"Connection refused"_qs;
    }

    void failedBatchGoesBehindTheRecordsAlreadyWaiting()
    {
        QFETCH(int, status);
        QFETCH(QString, logLine);
        if (status)
            m_server->queueStatuses({status});
        else
            m_server->close();
        auto signals = manager(m_server->baseUrl());
        signals->signalCache().push(records(0, 150));
        QSignalSpy finished(signals.get(), &SignalManager::batchFinished);

        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().value(1).toBool(), false);
        QCOMPARE(m_log.count(logLine), 1);
        QCOMPARE(signals->signalCache().count(), 150);

        if (!status && !m_server->listen(m_server->port()))
            QSKIP("the loopback port was taken by someone else meanwhile");
        // One tick at a time, so the batches reach the server in the order they left the cache.
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 2);
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(m_server->acceptedPayloadValues(u"index"_qs), indices(100, 50) + indices(0, 100));
        QCOMPARE(signals->signalCache().count(), 0);
    }

    void slowServerDoesNotBlockTheGuiThread()
    {
        m_server->holdResponses = true;
        auto signals = manager(m_server->baseUrl(), [](auto& config) { config.requestTimeout = 1500ms; });
        signals->signalCache().push(records(0, 10));
        QSignalSpy finished(signals.get(), &SignalManager::batchFinished);

        signals->attemptToSendNextBatchOfCachedSignals();
        // The server, on this thread, holds its answer until the request times out: a call that
        // waited for it would come back with the batch already finished.
        QVERIFY2(finished.isEmpty(), "starting an upload must not wait for the server");
        QTRY_COMPARE(m_server->requests().size(), 1);
        QCOMPARE(finished.size(), 0);

        // The request gives up after its timeout and the records wait for the next tick.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(signals->signalCache().count(), 10);
    }

    void ingestionPath_data()
    {
        QTest::addColumn<QUrl>("base");
        QTest::addColumn<std::optional<QString>>("ns");
        QTest::addColumn<QString>("expected"); // empty: no address, the batch stays
        const QUrl host(u"https://ingest.example.org"_qs);
        const QString plain = u"https://ingest.example.org/v2/"_qs;
        QTest::newRow("empty namespace") << host << std::optional<QString>(QString()) << plain;
        QTest::newRow("namespace") << host << std::optional<QString>(u"team"_qs)
                                   << u"https://ingest.example.org/v2/namespace/team/"_qs;
        QTest::newRow("base with a path")
            << QUrl(u"https://ingest.example.org/api/"_qs) << std::optional<QString>() << plain;
        QTest::newRow("relative base") << QUrl(u"ingest"_qs) << std::optional<QString>() << QString();
    }

    void ingestionPath()
    {
        QFETCH(QUrl, base);
        QFETCH(std::optional<QString>, ns);
        QFETCH(QString, expected);
        TelemetryManagerConfiguration config(u"TEST-APP"_qs, std::nullopt, base, ns);
        QCOMPARE(SignalManager::ingestionURL(config).toString(), expected);
        if (!expected.isEmpty())
            return;
        auto signals = manager(base);
        signals->signalCache().push(records(0, 5));
        signals->attemptToSendNextBatchOfCachedSignals();
        QCOMPARE(m_log.count(u"Unable to construct signal API URL for namespace nil"_qs), 1);
        QCOMPARE(signals->signalCache().count(), 5);
    }

    void quitSavesWaitingRecordsAndTheNextStartSendsThem()
    {
        m_server->holdResponses = true;
        {
            auto signals = manager(m_server->baseUrl());
            signals->signalCache().push(records(0, 7));
            // One batch is on the wire when the application quits: it must be saved too.
            signals->attemptToSendNextBatchOfCachedSignals();
            QTRY_COMPARE(m_server->requests().size(), 1);
            signals->signalCache().push(records(7, 3));
            ApplicationActivity::shared().notifyWillTerminate();
            QCOMPARE(signals->signalCache().count(), 0);
        }
        QVERIFY(QFile::exists(cacheFile()));
        QVERIFY(m_log.contains(u"of 10 signals"_qs));

        m_log.clear();
        TestIngestionServer next;
        QVERIFY(next.listen());
        auto signals = manager(next.baseUrl());
        QCOMPARE(m_log.count(u"Loaded 10 signals"_qs), 1);
        QVERIFY(!QFile::exists(cacheFile()));
        QTRY_COMPARE(next.acceptedPayloadValues(u"index"_qs).size(), 10);
        QStringList received = next.acceptedPayloadValues(u"index"_qs);
        std::sort(received.begin(), received.end(), [](auto& a, auto& b) { return a.toInt() < b.toInt(); });
        QCOMPARE(received, indices(0, 10));
    }

    void cacheKeepsTheNewestRecordsWhileOffline()
    {
        // A cache file that cannot be decoded is dropped.
        QVERIFY(ovelin::test::writeFile(cacheFile(), "{not json"));
        auto signals = manager(QUrl(u"http://127.0.0.1:9/"_qs));
        QCOMPARE(signals->signalCache().count(), 0);
        QVERIFY(!QFile::exists(cacheFile()));
        const qsizetype limit = SignalCache::maximumNumberOfCachedSignals;
        signals->signalCache().push(records(0, int(limit)));
        signals->signalCache().push(records(int(limit), 5));
        const QList<SignalPostBody> kept = signals->signalCache().cachedSignals();
        QCOMPARE(kept.size(), limit);
        QCOMPARE(kept.first().payload.value(u"index"_qs), u"5"_qs);
        QCOMPARE(kept.last().payload.value(u"index"_qs), QString::number(limit + 4));
        QCOMPARE(m_log.count(u"Telemetry cache full: dropped the 5 oldest signals"_qs), 1);
    }

    // The cache used to follow the umask (0644 in a 0755 folder): readable by every user. Both a new
    // folder and the folder and file of an earlier version end up owner-only.
    void cacheFileAndFolderAreOwnerOnly()
    {
        // Qt's owner, group and other bits read as octal digits: 0x7055 is 0755.
        const auto modeOf = [](const QString& path) { return int(QFileInfo(path).permissions()) & 0x7077; };
        const mode_t previousMask = ::umask(022);
        auto restoreMask = qScopeGuard([previousMask] { ::umask(previousMask); });
        for (bool leftByEarlierVersion : {false, true}) {
            QTemporaryDir home;
            const QString folder = home.filePath(u"Ovelin"_qs);
            const QString file = folder + u"/telemetrysignalcache"_qs;
            if (leftByEarlierVersion) {
                QVERIFY(QDir().mkpath(folder));
                QVERIFY(ovelin::test::writeFile(file, SignalPostBody::encodeList(records(0, 2))));
                QCOMPARE(modeOf(folder), 0x7055);
                QCOMPARE(modeOf(file), 0x6044);
            }
            SignalCache cache(m_log.handler(), file);
            cache.push(records(2, 3));
            QVERIFY(cache.backupCache());
            QCOMPARE(modeOf(folder), 0x7000);
            QCOMPARE(modeOf(file), 0x6000);
            QCOMPARE(SignalCache(m_log.handler(), file).count(), leftByEarlierVersion ? 5 : 3);
        }
    }

    void cacheFileOfTheEarlierFolderIsMovedOnce()
    {
        const QString organization = QCoreApplication::organizationName();
        const QString application = QCoreApplication::applicationName();
        QCoreApplication::setOrganizationName(u"Ovelin"_qs);
        QCoreApplication::setApplicationName(u"Ovelin"_qs);
        auto restore = qScopeGuard([&] {
            QCoreApplication::setOrganizationName(organization);
            QCoreApplication::setApplicationName(application);
        });
        const QString cacheHome = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QCOMPARE(SignalCache::defaultFilePath(), cacheHome + u"/Ovelin/telemetrysignalcache"_qs);
        const QString legacy = cacheHome + u"/Ovelin/Ovelin/telemetrysignalcache"_qs;
        QVERIFY(QDir().mkpath(QFileInfo(legacy).absolutePath()));
        QVERIFY(ovelin::test::writeFile(legacy, SignalPostBody::encodeList(records(0, 3))));

        SignalCache cache(m_log.handler());
        QCOMPARE(cache.count(), 3);
        QVERIFY(!QFile::exists(legacy));
        QVERIFY(cache.backupCache());
        QVERIFY(QFile::exists(SignalCache::defaultFilePath()));
        QCOMPARE(SignalCache(m_log.handler()).count(), 3);
    }
};

OVELIN_TEST_MAIN(TestSignalTransport)
#include "tst_SignalTransport.moc"
