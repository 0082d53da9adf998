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

    // What the application sets: an application ID and nothing about the user or a test mode.
    void recordsBeforeInitializationOrWhileDisabledAreDroppedAndOthersCarryTheConfiguration()
    {
        Beacon::terminate();
        Beacon::signal(u"Early"_qs);
        QVERIFY(!Beacon::isInitialized());

        TelemetryManagerConfiguration disabled = configuration();
        disabled.analyticsDisabled = true;
        Beacon::initialize(disabled);
        Beacon::signal(u"Disabled"_qs);
        QCOMPARE(cachedRecords().size(), 0);

        Beacon::initialize(configuration());
        Beacon::signal(u"Accepted"_qs);
        Beacon::signal(u"Again"_qs);
        const QList<SignalPostBody> records = cachedRecords();
        QCOMPARE(records.size(), 2);
        const SignalPostBody& record = records.first();
        QCOMPARE(record.type, u"Accepted"_qs);
        QCOMPARE(record.appID, u"TEST-APP"_qs);
        QCOMPARE(record.sessionID,
                 Beacon::configuration()->sessionID.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(!record.isTestMode);
        QVERIFY(!record.floatValue);
        QVERIFY(record.receivedAt.contains(
            QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+0000$"_qs)));
        // A stored identifier stands for the user in every record.
        QCOMPARE(record.clientUser.size(), 64);
        QCOMPARE(record.clientUser, records[1].clientUser);
    }

    void reservedNamesDrawWarningsButAreSent()
    {
        const QString text =
            u"Sending %1 '%2' will cause unexpected behavior. Please use another %3 instead."_qs;
        const struct
        {
            QString name;
            ParameterDictionary given;
            QString warning;
            int times; // the parameters are checked before and after the defaults are merged in
        } cases[] = {
            {u"AppLaunched"_qs,
             {{u"appVersion"_qs, u"1.0"_qs}},
             text.arg(u"parameter with reserved key"_qs, u"appVersion"_qs, u"key"_qs),
             2},
            {u"Opened"_qs,
             {{u"beacon.mine"_qs, u"x"_qs}},
             text.arg(u"parameter with reserved key prefix"_qs, u"Beacon."_qs, u"prefix"_qs),
             2},
            {u"PLATFORM"_qs, {}, text.arg(u"signal with reserved name"_qs, u"PLATFORM"_qs, u"name"_qs), 1},
            {u"Beacon.Mine"_qs,
             {},
             text.arg(u"signal with reserved prefix"_qs, u"Beacon."_qs, u"prefix"_qs),
             1},
        };
        Beacon::initialize(configuration());
        for (const auto& c : cases) {
            m_log.clear();
            Beacon::signal(c.name, c.given);
            QCOMPARE(cachedRecords(true).size(), 1);
            QCOMPARE(m_log.count(c.warning), c.times);
        }
    }

    // SHA-256 of the identifier in UTF-8 (the application gives no salt); none for text UTF-8 cannot
    // encode.
    void userIdentifierHash()
    {
        QCOMPARE(Beacon::hashedUserIdentifier(u"test-user"_qs, QString()),
                 u"f85ac825d102b9f2d546aa1679ea991ae845994c1343730d564f3fcd0a2168c3"_qs);
        QCOMPARE(Beacon::hashedUserIdentifier(u"ünïcødé"_qs, QString()),
                 u"5713bed303ece8e42dd4838ae3d04fcd246c7ceb4468bdf39aa433fafdccff77"_qs);
        QCOMPARE(Beacon::hashedUserIdentifier(QString(QChar(0xD800)), QString()), QString());
    }
};

OVELIN_TEST_MAIN(TestBeaconClient)
#include "tst_BeaconClient.moc"
