#include <QRegularExpression>
#include <QTemporaryDir>

#include <Beacon/Beacon.h>
#include <Beacon/SignalManager.h>

#include "support/LogCapture.h"
#include "support/TestMain.h"

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ParameterDictionary)

class TestBeaconClient : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LogCapture m_log;

    TelemetryManagerConfiguration configuration()
    {
        TelemetryManagerConfiguration config(QStringLiteral("TEST-APP"), std::nullopt,
                                             QUrl(QStringLiteral("http://127.0.0.1:9/")));
        config.logHandler = m_log.handler(LogLevel::info);
        config.sendInterval = 1h;
        config.sessionStatsEnabled = false;
        config.sendNewSessionBeganSignal = false;
        config.signalCacheFile = m_dir.filePath(QStringLiteral("cache"));
        return config;
    }

    /// Lets queued hand-overs run and waits until their records are in the cache.
    static QList<SignalPostBody> waitingRecords()
    {
        QCoreApplication::processEvents();
        SignalManager* manager = Beacon::signalManager();
        if (!manager)
            return {};
        manager->waitForProcessing();
        return manager->signalCache().cachedSignals();
    }

private Q_SLOTS:
    void cleanup() { Beacon::terminate(); }

    void signalsBeforeInitializationOrWhileDisabledAreDropped()
    {
        Beacon::terminate();
        Beacon::signal(QStringLiteral("Early"));
        QVERIFY(!Beacon::isInitialized());

        TelemetryManagerConfiguration config = configuration();
        config.analyticsDisabled = true;
        Beacon::initialize(config);
        Beacon::signal(QStringLiteral("Disabled"));
        QCOMPARE(waitingRecords().size(), 0);

        Beacon::initialize(configuration());
        Beacon::signal(QStringLiteral("Accepted"));
        const QList<SignalPostBody> records = waitingRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().type, QStringLiteral("Accepted"));
    }

    void namesAndParametersArePrefixed_data()
    {
        QTest::addColumn<QString>("signalPrefix");
        QTest::addColumn<QString>("parameterPrefix");
        QTest::addColumn<ParameterDictionary>("defaults");
        QTest::addColumn<ParameterDictionary>("parameters");
        QTest::addColumn<QString>("expectedType");
        QTest::addColumn<ParameterDictionary>("expectedParameters");

        QTest::newRow("no prefixes") << QString() << QString() << ParameterDictionary{}
                                     << ParameterDictionary{{QStringLiteral("k"), QStringLiteral("v")}}
                                     << QStringLiteral("Opened")
                                     << ParameterDictionary{{QStringLiteral("k"), QStringLiteral("v")}};
        QTest::newRow("both prefixes, reserved prefix kept")
            << QStringLiteral("App.") << QStringLiteral("my.") << ParameterDictionary{}
            << ParameterDictionary{{QStringLiteral("k"), QStringLiteral("v")},
                                   {QStringLiteral("Beacon.custom"), QStringLiteral("w")}}
            << QStringLiteral("App.Opened")
            << ParameterDictionary{{QStringLiteral("my.k"), QStringLiteral("v")},
                                   {QStringLiteral("Beacon.custom"), QStringLiteral("w")}};
        QTest::newRow("signal parameters win over defaults")
            << QString() << QStringLiteral("p.")
            << ParameterDictionary{{QStringLiteral("a"), QStringLiteral("1")},
                                   {QStringLiteral("b"), QStringLiteral("2")}}
            << ParameterDictionary{{QStringLiteral("b"), QStringLiteral("3")}} << QStringLiteral("Opened")
            << ParameterDictionary{{QStringLiteral("p.a"), QStringLiteral("1")},
                                   {QStringLiteral("p.b"), QStringLiteral("3")}};
    }

    void namesAndParametersArePrefixed()
    {
        QFETCH(QString, signalPrefix);
        QFETCH(QString, parameterPrefix);
        QFETCH(ParameterDictionary, defaults);
        QFETCH(ParameterDictionary, parameters);
        QFETCH(QString, expectedType);
        QFETCH(ParameterDictionary, expectedParameters);

        TelemetryManagerConfiguration config = configuration();
        if (!signalPrefix.isEmpty())
            config.defaultSignalPrefix = signalPrefix;
        if (!parameterPrefix.isEmpty())
            config.defaultParameterPrefix = parameterPrefix;
        config.defaultParameters = [defaults] { return defaults; };
        Beacon::initialize(config);
        Beacon::signal(QStringLiteral("Opened"), parameters);

        const QList<SignalPostBody> records = waitingRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().type, expectedType);
        for (auto it = expectedParameters.cbegin(); it != expectedParameters.cend(); ++it)
            QCOMPARE(records.first().payload.value(it.key()), it.value());
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
            if (!expectedParameters.contains(it.key()))
                QVERIFY2(!records.first().payload.contains(it.key()), qPrintable(it.key()));
        }
    }

    void reservedNamesDrawWarningsButAreSent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ParameterDictionary>("parameters");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("times");

        QTest::newRow("reserved parameter, checked before and after the merge")
            << QStringLiteral("AppLaunched")
            << ParameterDictionary{{QStringLiteral("appVersion"), QStringLiteral("1.0")}}
            << QStringLiteral(
                   "Sending parameter with reserved key 'appVersion' will cause unexpected behavior. "
                   "Please use another key instead.")
            << 2;
        QTest::newRow("reserved parameter prefix")
            << QStringLiteral("Opened")
            << ParameterDictionary{{QStringLiteral("beacon.mine"), QStringLiteral("x")}}
            << QStringLiteral(
                   "Sending parameter with reserved key prefix 'Beacon.' will cause unexpected behavior. "
                   "Please use another prefix instead.")
            << 2;
        QTest::newRow("reserved signal name, any case")
            << QStringLiteral("PLATFORM") << ParameterDictionary{}
            << QStringLiteral(
                   "Sending signal with reserved name 'PLATFORM' will cause unexpected behavior. Please "
                   "use another name instead.")
            << 1;
        QTest::newRow("reserved signal prefix")
            << QStringLiteral("Beacon.Mine") << ParameterDictionary{}
            << QStringLiteral(
                   "Sending signal with reserved prefix 'Beacon.' will cause unexpected behavior. Please "
                   "use another prefix instead.")
            << 1;
    }

    void reservedNamesDrawWarningsButAreSent()
    {
        QFETCH(QString, name);
        QFETCH(ParameterDictionary, parameters);
        QFETCH(QString, warning);
        QFETCH(int, times);

        m_log.clear();
        Beacon::initialize(configuration());
        Beacon::signal(name, parameters);
        QCOMPARE(waitingRecords().size(), 1);
        QCOMPARE(m_log.count(warning), times);

        m_log.clear();
        TelemetryManagerConfiguration quiet = configuration();
        quiet.reservedParameterWarningsEnabled = false;
        Beacon::initialize(quiet);
        Beacon::signal(name, parameters);
        QCOMPARE(waitingRecords().size(), 1);
        QCOMPARE(m_log.count(warning), 0);
    }

    void userIdentifierHash_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("salt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty salt: plain SHA-256")
            << QStringLiteral("test-user") << QString()
            << QStringLiteral("f85ac825d102b9f2d546aa1679ea991ae845994c1343730d564f3fcd0a2168c3");
        QTest::newRow("salt appended")
            << QStringLiteral("test-user") << QStringLiteral("pepper")
            << QStringLiteral("d0a444de042bbf648314a46017bc6891fe296c629304f70a07aeef9267639d45");
        QTest::newRow("UTF-8") << QStringLiteral("ünïcødé") << QString()
                               << QStringLiteral(
                                      "5713bed303ece8e42dd4838ae3d04fcd246c7ceb4468bdf39aa433fafdccff77");
        QTest::newRow("lone surrogate cannot be encoded") << QString(QChar(0xD800)) << QString() << QString();
    }

    void userIdentifierHash()
    {
        QFETCH(QString, identifier);
        QFETCH(QString, salt);
        QFETCH(QString, expected);
        QCOMPARE(Beacon::hashedUserIdentifier(identifier, salt), expected);
    }

    void recordCarriesTheConfigurationAndOmitsAMissingFloatValue()
    {
        TelemetryManagerConfiguration config = configuration();
        config.defaultUser = QStringLiteral("test-user");
        config.salt = QStringLiteral("pepper");
        config.testMode = true;
        Beacon::initialize(config);
        Beacon::signal(QStringLiteral("Plain"));
        Beacon::signal(QStringLiteral("Measured"), {}, 2.5, QStringLiteral("other-user"));

        const QList<SignalPostBody> records = waitingRecords();
        QCOMPARE(records.size(), 2);
        const SignalPostBody& plain = records[0];
        QVERIFY(!plain.floatValue);
        QVERIFY(!plain.toJson().contains("floatValue"));
        QCOMPARE(plain.appID, QStringLiteral("TEST-APP"));
        QCOMPARE(plain.clientUser,
                 Beacon::hashedUserIdentifier(QStringLiteral("test-user"), QStringLiteral("pepper")));
        QCOMPARE(plain.sessionID,
                 Beacon::configuration()->sessionID.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(plain.isTestMode);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+0000$"))
                    .match(plain.receivedAt)
                    .hasMatch());
        QCOMPARE(plain.payload.value(QStringLiteral("platform")), QStringLiteral("Linux"));

        const SignalPostBody& measured = records[1];
        QCOMPARE(measured.floatValue, std::optional<double>(2.5));
        QCOMPARE(measured.clientUser,
                 Beacon::hashedUserIdentifier(QStringLiteral("other-user"), QStringLiteral("pepper")));
    }

    void storedUserIdentifierIsKeptAcrossSignals()
    {
        Beacon::initialize(configuration());
        Beacon::signal(QStringLiteral("One"));
        Beacon::signal(QStringLiteral("Two"));
        const QList<SignalPostBody> records = waitingRecords();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].clientUser.size(), 64);
        QCOMPARE(records[0].clientUser, records[1].clientUser);
    }
};

OVELIN_TEST_MAIN(TestBeaconClient)
#include "tst_BeaconClient.moc"
