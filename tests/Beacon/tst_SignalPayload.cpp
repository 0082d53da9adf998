#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <Beacon/DefaultSignalPayload.h>
#include <Beacon/SignalPostBody.h>

#include "support/TestFiles.h"
#include "support/TestMain.h"

class TestSignalPayload : public QObject
{
    Q_OBJECT

private:
    static SignalPostBody sampleRecord()
    {
        SignalPostBody body;
        body.receivedAt = SignalPostBody::formatReceivedAt(1'700'000'000.75);
        body.appID = u"APP"_qs;
        body.clientUser = u"abc"_qs;
        body.sessionID = u"5E3C4B1A-0000-4000-8000-000000000001"_qs;
        body.type = u"Quote\"d \\ name"_qs;
        body.payload = {{u"key"_qs, u"välue\n"_qs}};
        return body;
    }

private Q_SLOTS:
    void recordEncodesFieldsInWireOrderAndSurvivesTheCacheWithoutANotANumberValue()
    {
        SignalPostBody body = sampleRecord();
        QCOMPARE(body.receivedAt, u"2023-11-14T22:13:20+0000"_qs);
        QCOMPARE(body.toJson(),
                 QByteArray("{\"receivedAt\":\"2023-11-14T22:13:20+0000\",\"appID\":\"APP\","
                            "\"clientUser\":\"abc\",\"sessionID\":\"5E3C4B1A-0000-4000-8000-"
                            "000000000001\",\"type\":\"Quote\\\"d \\\\ name\",\"payload\":{\"key\":"
                            "\"välue\\n\"},\"isTestMode\":\"false\"}"));
        body.floatValue = 0.25;
        body.isTestMode = true;
        QVERIFY(body.toJson().contains(",\"floatValue\":0.25,\"payload\""));
        const QList<SignalPostBody> records{sampleRecord(), body};
        QCOMPARE(
            SignalPostBody::decodeList(SignalPostBody::encodeList(records)).value_or(QList<SignalPostBody>()),
            records);

        // A value that is not a number is left out instead of breaking the body.
        body.floatValue = std::numeric_limits<double>::quiet_NaN();
        const QByteArray list = SignalPostBody::encodeList({body, body});
        QJsonParseError error{};
        QJsonDocument::fromJson(list, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(!list.contains("floatValue"));
    }

    void decodingSkipsBrokenRecordsAndRejectsNonArrays()
    {
        const QByteArray good = sampleRecord().toJson();
        const QByteArray withoutType = "[{\"appID\":\"x\"}," + good + "]";
        QList<qsizetype> counts; // -1: not decodable
        for (const QByteArray& json :
             QList<QByteArray>{"[" + good + "," + good + "]", withoutType, "[]", good, "[" + good.left(20)}) {
            const auto decoded = SignalPostBody::decodeList(json);
            counts.append(decoded ? decoded->size() : -1);
        }
        QCOMPARE(counts, (QList<qsizetype>{2, 1, 0, -1, -1}));
    }

    void timeZoneDescription()
    {
        QStringList zones;
        for (int offset : {7200, -18000, 19800, -1800, 0})
            zones.append(DefaultSignalPayload::timeZoneDescription(offset));
        QCOMPARE(zones, (QStringList{u"UTC+2"_qs, u"UTC-5"_qs, u"UTC+5:30"_qs, u"UTC-0:30"_qs, u"UTC+0"_qs}));
    }

    void calendarFigures_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("expected"); // in the order of the keys below
        // Weeks start on Sunday; the one holding January 1st is week 1, also in December.
        QTest::newRow("Sunday at the end of a leap year is in week 1")
            << QDateTime(QDate(2024, 12, 29), QTime(23, 5)) << u"29 7 364 1 true 12 4 23"_qs;
        QTest::newRow("Saturday before it")
            << QDateTime(QDate(2024, 12, 28), QTime(8, 0)) << u"28 6 363 52 true 12 4 8"_qs;
        QTest::newRow("first Sunday starts week 2")
            << QDateTime(QDate(2024, 1, 7), QTime(9, 0)) << u"7 7 7 2 true 1 1 9"_qs;
        QTest::newRow("Wednesday, New Year's Day")
            << QDateTime(QDate(2025, 1, 1), QTime(0, 0)) << u"1 3 1 1 false 1 1 0"_qs;
        QTest::newRow("Saturday in the third quarter")
            << QDateTime(QDate(2025, 9, 6), QTime(12, 30)) << u"6 6 249 36 true 9 3 12"_qs;
    }

    void calendarFigures()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, expected);
        const ParameterDictionary figures = DefaultSignalPayload::calendarParameters(time);
        const QStringList keys =
            u"dayOfMonth dayOfWeek dayOfYear weekOfYear isWeekend monthOfYear quarterOfYear hourOfDay"_qs
                .split(u' ');
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(figures.value(u"Beacon.Calendar."_qs + keys[i]), expected.split(u' ').value(i));
    }

    void modelNameReadsDmiUpToTheFirstNulElseUname()
    {
        QTemporaryDir dmi;
        QVERIFY(
            ovelin::test::writeFile(dmi.filePath(u"product_name"_qs), QByteArray("ThinkPad X1\0junk\n", 17)));
        QCOMPARE(DefaultSignalPayload::modelName(dmi.path()), u"ThinkPad X1"_qs);

        QVERIFY(ovelin::test::writeFile(dmi.filePath(u"product_name"_qs), {}));
        const QString fallback = DefaultSignalPayload::modelName(dmi.path());
        QVERIFY(!fallback.isEmpty());
        QCOMPARE(DefaultSignalPayload::modelName(dmi.filePath(u"missing"_qs)), fallback);
    }

    void payloadHasEveryKeyWithLinuxValues()
    {
        TelemetryManagerConfiguration config(u"APP"_qs);
        config.appVersion = u"1.2.0"_qs;
        config.buildNumber = u"42"_qs;
        const ParameterDictionary payload =
            DefaultSignalPayload::parameters(config, nullptr, 1'750'000'000.0);

        const QStringList keys =
            QStringLiteral(
                "platform systemVersion majorSystemVersion majorMinorSystemVersion appVersion buildNumber "
                "isSimulator isDebug isTestFlight isAppStore modelName architecture operatingSystem "
                "targetEnvironment locale region appLanguage preferredLanguage telemetryClientVersion "
                "Beacon.Device.orientation Beacon.Device.screenResolutionHeight "
                "Beacon.Device.screenResolutionWidth Beacon.Device.screenScaleFactor "
                "Beacon.UserPreference.colorScheme Beacon.UserPreference.layoutDirection "
                "Beacon.Accessibility.isReduceMotionEnabled Beacon.Accessibility.isInvertColorsEnabled "
                "Beacon.Calendar.quarterOfYear")
                .split(u' ');
        for (const QString& key : keys)
            QVERIFY2(payload.contains(key), qPrintable(key));

        QCOMPARE(payload.value(u"operatingSystem"_qs), u"Linux"_qs);
        QCOMPARE(payload.value(u"Beacon.Device.platform"_qs), u"Linux"_qs);
        QVERIFY(payload.value(u"systemVersion"_qs)
                    .contains(QRegularExpression(u"^Linux \\d+\\.\\d+\\.\\d+$"_qs)));
        QVERIFY(payload.value(u"systemVersion"_qs)
                    .startsWith(payload.value(u"majorMinorSystemVersion"_qs) + u"."_qs));
        QCOMPARE(payload.value(u"Beacon.AppInfo.versionAndBuildNumber"_qs), u"1.2.0 (build 42)"_qs);
        // The test runs with LANG=en_US.UTF-8.
        QCOMPARE(payload.value(u"region"_qs), u"US"_qs);
        QCOMPARE(payload.value(u"appLanguage"_qs), u"en"_qs);
        QCOMPARE(payload.value(u"preferredLanguage"_qs), u"en"_qs);
        QCOMPARE(payload.value(u"Beacon.UserPreference.layoutDirection"_qs), u"leftToRight"_qs);
        QVERIFY(payload.value(u"Beacon.Device.timeZone"_qs)
                    .contains(QRegularExpression(u"^UTC[+-]\\d+(:\\d\\d)?$"_qs)));
        for (auto it = payload.cbegin(); it != payload.cend(); ++it)
            QVERIFY2(!it.value().isNull(), qPrintable(it.key()));
    }
};

OVELIN_TEST_MAIN(TestSignalPayload)
#include "tst_SignalPayload.moc"
