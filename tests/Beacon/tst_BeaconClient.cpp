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

    void reservedNamesDrawWarningsButAreSent()
    {
        const QString text =
            u"Sending %1 '%2' will cause unexpected behavior. Please use another %3 instead."_qs;
        const struct
        {
            QString name, given, warning;
            int times; // the parameters are checked before and after the defaults are merged in
        } cases[] = {
            {u"AppLaunched"_qs, u"appVersion=1.0"_qs,
             text.arg(u"parameter with reserved key"_qs, u"appVersion"_qs, u"key"_qs), 2},
            {u"Opened"_qs, u"beacon.mine=x"_qs,
             text.arg(u"parameter with reserved key prefix"_qs, u"Beacon."_qs, u"prefix"_qs), 2},
            {u"PLATFORM"_qs, {}, text.arg(u"signal with reserved name"_qs, u"PLATFORM"_qs, u"name"_qs), 1},
            {u"Beacon.Mine"_qs,
             {},
             text.arg(u"signal with reserved prefix"_qs, u"Beacon."_qs, u"prefix"_qs),
             1},
        };
        for (const auto& c : cases) {
            for (bool warn : {true, false}) {
                m_log.clear();
                TelemetryManagerConfiguration config = configuration();
                config.reservedParameterWarningsEnabled = warn;
                Beacon::initialize(config);
                Beacon::signal(c.name, parameters(c.given));
                QCOMPARE(cachedRecords(true).size(), 1);
                QCOMPARE(m_log.count(c.warning), warn ? c.times : 0);
            }
        }
    }

    // SHA-256 of the identifier in UTF-8 with the salt appended; none for text UTF-8 cannot encode.
    void userIdentifierHash()
    {
        QCOMPARE(Beacon::hashedUserIdentifier(u"test-user"_qs, QString()),
                 u"f85ac825d102b9f2d546aa1679ea991ae845994c1343730d564f3fcd0a2168c3"_qs);
        QCOMPARE(Beacon::hashedUserIdentifier(u"test-user"_qs, u"pepper"_qs),
                 u"d0a444de042bbf648314a46017bc6891fe296c629304f70a07aeef9267639d45"_qs);
        QCOMPARE(Beacon::hashedUserIdentifier(u"ünïcødé"_qs, QString()),
                 u"5713bed303ece8e42dd4838ae3d04fcd246c7ceb4468bdf39aa433fafdccff77"_qs);
        QCOMPARE(Beacon::hashedUserIdentifier(QString(QChar(0xD800)), QString()), QString());
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
