#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/ClientSetup.h"
#include "support/LogCapture.h"
#include "support/TestMain.h"

class TestBeaconClient : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LogCapture m_log;

    TelemetryManagerConfiguration configuration()
    {
        TelemetryManagerConfiguration config = testConfiguration(m_dir);
        config.logHandler = m_log.handler(LogLevel::info);
        return config;
    }

private Q_SLOTS:
    void cleanup() { Beacon::terminate(); }

    void signalsBeforeInitializationOrWhileDisabledAreDropped()
    {
        Beacon::terminate();
        Beacon::signal(u"Early"_qs);
        QVERIFY(!Beacon::isInitialized());

        TelemetryManagerConfiguration config = configuration();
        config.analyticsDisabled = true;
        Beacon::initialize(config);
        Beacon::signal(u"Disabled"_qs);
        QCOMPARE(cachedRecords().size(), 0);

        // Without a default user, a stored identifier stands for the user in every record.
        Beacon::initialize(configuration());
        Beacon::signal(u"Accepted"_qs);
        Beacon::signal(u"Again"_qs);
        const QList<SignalPostBody> records = cachedRecords();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.first().type, u"Accepted"_qs);
        QCOMPARE(records[0].clientUser.size(), 64);
        QCOMPARE(records[0].clientUser, records[1].clientUser);
    }

    void namesAndParametersArePrefixed_data()
    {
        QTest::addColumn<QString>("signalPrefix");
        QTest::addColumn<QString>("parameterPrefix");
        QTest::addColumn<QString>("defaults");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expectedType");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no prefixes") << QString() << QString() << QString() << u"k=v"_qs << u"Opened"_qs
                                     << u"k=v"_qs;
        QTest::newRow("both prefixes, reserved prefix kept")
            << u"App."_qs << u"my."_qs << QString() << u"k=v;Beacon.custom=w"_qs << u"App.Opened"_qs
            << u"my.k=v;Beacon.custom=w"_qs;
        QTest::newRow("signal parameters win over defaults")
            << QString() << u"p."_qs << u"a=1;b=2"_qs << u"b=3"_qs << u"Opened"_qs << u"p.a=1;p.b=3"_qs;
    }

    void namesAndParametersArePrefixed()
    {
        QFETCH(QString, signalPrefix);
        QFETCH(QString, parameterPrefix);
        QFETCH(QString, defaults);
        QFETCH(QString, given);
        QFETCH(QString, expectedType);
        QFETCH(QString, expected);
        const ParameterDictionary defaultParameters = parameters(defaults),
                                  signalParameters = parameters(given),
                                  expectedParameters = parameters(expected);

        TelemetryManagerConfiguration config = configuration();
        if (!signalPrefix.isEmpty())
            config.defaultSignalPrefix = signalPrefix;
        if (!parameterPrefix.isEmpty())
            config.defaultParameterPrefix = parameterPrefix;
        config.defaultParameters = [defaultParameters] { return defaultParameters; };
        Beacon::initialize(config);
        Beacon::signal(u"Opened"_qs, signalParameters);

        const QList<SignalPostBody> records = cachedRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().type, expectedType);
        // The given keys, prefixed or not, and nothing of them left unprefixed by mistake.
        ParameterDictionary actual;
        for (auto it = records.first().payload.cbegin(); it != records.first().payload.cend(); ++it) {
            if (expectedParameters.contains(it.key()) || signalParameters.contains(it.key()) ||
                defaultParameters.contains(it.key()))
                actual.insert(it.key(), it.value());
        }
        QCOMPARE(actual, expectedParameters);
    }

    void reservedNamesDrawWarningsButAreSent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("times");

        const QString text =
            u"Sending %1 '%2' will cause unexpected behavior. Please use another %3 instead."_qs;
        QTest::newRow("reserved parameter, checked before and after the merge")
            << u"AppLaunched"_qs << u"appVersion=1.0"_qs
            << text.arg(u"parameter with reserved key"_qs, u"appVersion"_qs, u"key"_qs) << 2;
        QTest::newRow("reserved parameter prefix")
            << u"Opened"_qs << u"beacon.mine=x"_qs
            << text.arg(u"parameter with reserved key prefix"_qs, u"Beacon."_qs, u"prefix"_qs) << 2;
        QTest::newRow("reserved signal name, any case")
            << u"PLATFORM"_qs << QString()
            << text.arg(u"signal with reserved name"_qs, u"PLATFORM"_qs, u"name"_qs) << 1;
        QTest::newRow("reserved signal prefix")
            << u"Beacon.Mine"_qs << QString()
            << text.arg(u"signal with reserved prefix"_qs, u"Beacon."_qs, u"prefix"_qs) << 1;
    }

    void reservedNamesDrawWarningsButAreSent()
    {
        QFETCH(QString, name);
        QFETCH(QString, given);
        QFETCH(QString, warning);
        QFETCH(int, times);

        for (bool warn : {true, false}) {
            m_log.clear();
            TelemetryManagerConfiguration config = configuration();
            config.reservedParameterWarningsEnabled = warn;
            Beacon::initialize(config);
            Beacon::signal(name, parameters(given));
            QCOMPARE(cachedRecords().size(), 1);
            QCOMPARE(m_log.count(warning), warn ? times : 0);
        }
    }

    void userIdentifierHash_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("salt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty salt: plain SHA-256")
            << u"test-user"_qs << QString()
            << u"f85ac825d102b9f2d546aa1679ea991ae845994c1343730d564f3fcd0a2168c3"_qs;
        QTest::newRow("salt appended")
            << u"test-user"_qs << u"pepper"_qs
            << u"d0a444de042bbf648314a46017bc6891fe296c629304f70a07aeef9267639d45"_qs;
        QTest::newRow("UTF-8") << u"ünïcødé"_qs << QString()
                               << u"5713bed303ece8e42dd4838ae3d04fcd246c7ceb4468bdf39aa433fafdccff77"_qs;
        QTest::newRow("lone surrogate cannot be encoded") << QString(QChar(0xD800)) << QString() << QString();
    }

    void userIdentifierHash()
    {
        QFETCH(QString, identifier);
        QFETCH(QString, salt);
        QFETCH(QString, expected);
        QCOMPARE(Beacon::hashedUserIdentifier(identifier, salt), expected);
    }

    void recordCarriesTheConfiguration()
    {
        TelemetryManagerConfiguration config = configuration();
        config.defaultUser = u"test-user"_qs;
        config.salt = u"pepper"_qs;
        config.testMode = true;
        Beacon::initialize(config);
        Beacon::signal(u"Plain"_qs);
        Beacon::signal(u"Measured"_qs, {}, 2.5, u"other-user"_qs);

        const QList<SignalPostBody> records = cachedRecords();
        QCOMPARE(records.size(), 2);
        const SignalPostBody& plain = records[0];
        QVERIFY(!plain.floatValue);
        QCOMPARE(plain.appID, u"TEST-APP"_qs);
        QCOMPARE(plain.clientUser, Beacon::hashedUserIdentifier(u"test-user"_qs, u"pepper"_qs));
        QCOMPARE(plain.sessionID,
                 Beacon::configuration()->sessionID.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(plain.isTestMode);
        QVERIFY(plain.receivedAt.contains(
            QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+0000$"_qs)));
        QCOMPARE(plain.payload.value(u"platform"_qs), u"Linux"_qs);
        QCOMPARE(records[1].floatValue, std::optional<double>(2.5));
        QCOMPARE(records[1].clientUser, Beacon::hashedUserIdentifier(u"other-user"_qs, u"pepper"_qs));
    }
};

OVELIN_TEST_MAIN(TestBeaconClient)
#include "tst_BeaconClient.moc"
