#include <memory>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/SignalManager.h>

#include "support/LogCapture.h"
#include "support/TestIngestionServer.h"
#include "support/TestMain.h"

using namespace std::chrono_literals;

class TestSignalTransport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LogCapture m_log;

    TelemetryManagerConfiguration configuration(const QUrl& baseUrl, std::chrono::milliseconds interval = 1h)
    {
        TelemetryManagerConfiguration config(QStringLiteral("TEST-APP"), std::nullopt, baseUrl);
        config.logHandler = m_log.handler();
        config.sendInterval = interval;
        config.signalCacheFile = m_dir.filePath(QStringLiteral("telemetrysignalcache"));
        return config;
    }

    std::unique_ptr<SignalManager> manager(const TelemetryManagerConfiguration& config)
    {
        return std::make_unique<SignalManager>([config] { return config; }, QString());
    }

    static QList<SignalPostBody> records(int from, int count)
    {
        QList<SignalPostBody> list;
        for (int i = from; i < from + count; ++i) {
            SignalPostBody body;
            body.receivedAt = SignalPostBody::formatReceivedAt(1'750'000'000.0 + i);
            body.appID = QStringLiteral("TEST-APP");
            body.clientUser = QStringLiteral("user");
            body.sessionID = QStringLiteral("SESSION");
            body.type = QStringLiteral("Record");
            body.payload.insert(QStringLiteral("index"), QString::number(i));
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

    static QList<int> batchSizes(const TestIngestionServer& server)
    {
        QList<int> sizes;
        for (const QByteArray& body : server.bodies())
            sizes.append(static_cast<int>(QJsonDocument::fromJson(body).array().size()));
        return sizes;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_log.clear();
        QFile::remove(m_dir.filePath(QStringLiteral("telemetrysignalcache")));
    }

    void waitingRecordsGoOutInBatchesOfAHundredOnSuccessiveTicks()
    {
        TestIngestionServer server;
        QVERIFY(server.listen());
        auto signals = manager(configuration(server.baseUrl(), 150ms));
        signals->signalCache().push(records(0, 250));

        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 3, 5000);
        QCOMPARE(batchSizes(server), (QList<int>{100, 100, 50}));
        QTRY_COMPARE(server.acceptedPayloadValues(QStringLiteral("index")), indices(0, 250));
        QCOMPARE(signals->signalCache().count(), 0);
        QVERIFY(m_log.contains(QStringLiteral("Sending 100 signals leaving a cache of 150 signals")));

        const TestIngestionServer::Request first = server.requests().first();
        QCOMPARE(first.method, QByteArray("POST"));
        QCOMPARE(first.path, QByteArray("/v2/"));
        QCOMPARE(first.headers.value("content-type"), QByteArray("application/json"));
    }

    void rejectedBatchGoesBehindTheRecordsAlreadyWaiting_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("server error") << 500 << QStringLiteral("Invalid status code 500");
        QTest::newRow("unauthorised") << 401 << QStringLiteral("Unauthorized (401)");
        QTest::newRow("forbidden") << 403 << QStringLiteral("Forbidden (403)");
        QTest::newRow("too large") << 413 << QStringLiteral("Payload is too large (413)");
    }

    void rejectedBatchGoesBehindTheRecordsAlreadyWaiting()
    {
        QFETCH(int, status);
        QFETCH(QString, logLine);
        TestIngestionServer server;
        QVERIFY(server.listen());
        server.queueStatuses({status});
        auto signals = manager(configuration(server.baseUrl()));
        signals->signalCache().push(records(0, 150));
        QSignalSpy finished(signals.get(), &SignalManager::batchFinished);

        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().value(1).toBool(), false);
        QCOMPARE(m_log.count(logLine), 1);
        QCOMPARE(signals->signalCache().count(), 150);

        // One tick at a time, so the batches reach the server in the order they left the cache.
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 2);
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(server.acceptedPayloadValues(QStringLiteral("index")), indices(100, 50) + indices(0, 100));
        QCOMPARE(signals->signalCache().count(), 0);
    }

    void refusedConnectionLosesNothing()
    {
        quint16 port = 0;
        {
            TestIngestionServer probe;
            QVERIFY(probe.listen());
            port = probe.port();
        }
        auto signals = manager(configuration(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port))));
        signals->signalCache().push(records(0, 120));
        QSignalSpy finished(signals.get(), &SignalManager::batchFinished);

        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(signals->signalCache().count(), 120);
        QVERIFY(m_log.contains(QStringLiteral("refused")));

        TestIngestionServer server;
        if (!server.listen(port))
            QSKIP("the loopback port was taken by someone else meanwhile");
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 2);
        signals->attemptToSendNextBatchOfCachedSignals();
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(server.acceptedPayloadValues(QStringLiteral("index")), indices(100, 20) + indices(0, 100));
    }

    void slowServerDoesNotBlockTheGuiThread()
    {
        TestIngestionServer server;
        QVERIFY(server.listen());
        server.holdResponses = true;
        TelemetryManagerConfiguration config = configuration(server.baseUrl());
        config.requestTimeout = 1500ms;
        auto signals = manager(config);
        signals->signalCache().push(records(0, 10));
        QSignalSpy finished(signals.get(), &SignalManager::batchFinished);

        QElapsedTimer clock;
        clock.start();
        signals->attemptToSendNextBatchOfCachedSignals();
        QVERIFY2(clock.elapsed() < 200, "starting an upload must not wait for the server");

        // While the server sits on the request, the event loop keeps turning.
        int ticks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, this, [&ticks] { ++ticks; });
        heartbeat.start(20);
        QTRY_COMPARE(server.requests().size(), 1);
        QTest::qWait(500);
        QVERIFY2(ticks >= 10, qPrintable(QStringLiteral("only %1 ticks in 500 ms").arg(ticks)));
        QCOMPARE(finished.size(), 0);

        // The request gives up after its timeout and the records wait for the next tick.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(signals->signalCache().count(), 10);
    }

    void ingestionPath_data()
    {
        QTest::addColumn<QUrl>("base");
        QTest::addColumn<std::optional<QString>>("ns");
        QTest::addColumn<QString>("expected");
        const QUrl host(QStringLiteral("https://ingest.example.org"));
        QTest::newRow("no namespace")
            << host << std::optional<QString>() << QStringLiteral("https://ingest.example.org/v2/");
        QTest::newRow("empty namespace")
            << host << std::optional<QString>(QString()) << QStringLiteral("https://ingest.example.org/v2/");
        QTest::newRow("namespace") << host << std::optional<QString>(QStringLiteral("team"))
                                   << QStringLiteral("https://ingest.example.org/v2/namespace/team/");
        QTest::newRow("base with a path")
            << QUrl(QStringLiteral("https://ingest.example.org/api/")) << std::optional<QString>()
            << QStringLiteral("https://ingest.example.org/v2/");
        QTest::newRow("relative base")
            << QUrl(QStringLiteral("ingest")) << std::optional<QString>() << QString();
    }

    void ingestionPath()
    {
        QFETCH(QUrl, base);
        QFETCH(std::optional<QString>, ns);
        QFETCH(QString, expected);
        TelemetryManagerConfiguration config(QStringLiteral("TEST-APP"), std::nullopt, base, ns);
        QCOMPARE(SignalManager::ingestionURL(config).toString(), expected);
    }

    void unbuildableAddressKeepsTheBatch()
    {
        auto signals = manager(configuration(QUrl(QStringLiteral("nowhere"))));
        signals->signalCache().push(records(0, 5));
        signals->attemptToSendNextBatchOfCachedSignals();
        QCOMPARE(m_log.count(QStringLiteral("Unable to construct signal API URL for namespace nil")), 1);
        QCOMPARE(signals->signalCache().count(), 5);
    }

    void quitSavesWaitingRecordsAndTheNextStartSendsThem()
    {
        const QString cacheFile = m_dir.filePath(QStringLiteral("telemetrysignalcache"));
        TestIngestionServer server;
        QVERIFY(server.listen());
        server.holdResponses = true;
        {
            auto signals = manager(configuration(server.baseUrl()));
            signals->signalCache().push(records(0, 7));
            // One batch is on the wire when the application quits: it must be saved too.
            signals->attemptToSendNextBatchOfCachedSignals();
            QTRY_COMPARE(server.requests().size(), 1);
            signals->signalCache().push(records(7, 3));
            ApplicationActivity::shared().notifyWillTerminate();
            QCOMPARE(signals->signalCache().count(), 0);
        }
        QVERIFY(QFile::exists(cacheFile));
        QVERIFY(m_log.contains(QStringLiteral("of 10 signals")));

        m_log.clear();
        TestIngestionServer next;
        QVERIFY(next.listen());
        auto signals = manager(configuration(next.baseUrl()));
        QCOMPARE(m_log.count(QStringLiteral("Loaded 10 signals")), 1);
        QVERIFY(!QFile::exists(cacheFile));
        QTRY_COMPARE(next.acceptedPayloadValues(QStringLiteral("index")).size(), 10);
        QStringList received = next.acceptedPayloadValues(QStringLiteral("index"));
        received.sort();
        QStringList expected = indices(0, 10);
        expected.sort();
        QCOMPARE(received, expected);
    }

    void undecodableCacheFileStartsEmpty()
    {
        const QString cacheFile = m_dir.filePath(QStringLiteral("telemetrysignalcache"));
        QFile file(cacheFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{not json");
        file.close();
        auto signals = manager(configuration(QUrl(QStringLiteral("http://127.0.0.1:9/"))));
        QCOMPARE(signals->signalCache().count(), 0);
        QVERIFY(!QFile::exists(cacheFile));
    }
};

OVELIN_TEST_MAIN(TestSignalTransport)
#include "tst_SignalTransport.moc"
