#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <Beacon/DefaultSignalPayload.h>
#include <Beacon/SignalPostBody.h>

#include "support/TestMain.h"

class TestSignalPayload : public QObject
{
    Q_OBJECT

private:
    static SignalPostBody sampleRecord()
    {
        SignalPostBody body;
        body.receivedAt = SignalPostBody::formatReceivedAt(1'700'000'000.75);
        body.appID = QStringLiteral("APP");
        body.clientUser = QStringLiteral("abc");
        body.sessionID = QStringLiteral("5E3C4B1A-0000-4000-8000-000000000001");
        body.type = QStringLiteral("Quote\"d \\ name");
        body.payload = {{QStringLiteral("key"), QStringLiteral("välue\n")}};
        return body;
    }

private Q_SLOTS:
    void recordEncodesFieldsInWireOrder()
    {
        SignalPostBody body = sampleRecord();
        QCOMPARE(body.receivedAt, QStringLiteral("2023-11-14T22:13:20+0000"));
        QCOMPARE(body.toJson(),
                 QByteArray("{\"receivedAt\":\"2023-11-14T22:13:20+0000\",\"appID\":\"APP\","
                            "\"clientUser\":\"abc\",\"sessionID\":\"5E3C4B1A-0000-4000-8000-"
                            "000000000001\",\"type\":\"Quote\\\"d \\\\ name\",\"payload\":{\"key\":"
                            "\"välue\\n\"},\"isTestMode\":\"false\"}"));
        body.floatValue = 0.25;
        QVERIFY(body.toJson().contains(",\"floatValue\":0.25,\"payload\""));
    }

    void recordsSurviveTheCacheEncoding()
    {
        SignalPostBody withFloat = sampleRecord();
        withFloat.floatValue = -3.5;
        withFloat.isTestMode = true;
        const QList<SignalPostBody> records{sampleRecord(), withFloat};
        const auto decoded = SignalPostBody::decodeList(SignalPostBody::encodeList(records));
        QVERIFY(decoded);
        QCOMPARE(*decoded, records);
    }

    void floatValueThatIsNotANumberIsLeftOutInsteadOfBreakingTheBody()
    {
        SignalPostBody body = sampleRecord();
        body.floatValue = std::numeric_limits<double>::quiet_NaN();
        const QByteArray list = SignalPostBody::encodeList({body, body});
        QJsonParseError error{};
        QJsonDocument::fromJson(list, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(!list.contains("floatValue"));
    }

    void decodingSkipsBrokenRecordsAndRejectsNonArrays_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("count"); // -1: not decodable
        const QByteArray good = sampleRecord().toJson();
        QTest::newRow("two good") << "[" + good + "," + good + "]" << 2;
        QTest::newRow("one without type") << "[{\"appID\":\"x\"}," + good + "]" << 1;
        QTest::newRow("empty array") << QByteArray("[]") << 0;
        QTest::newRow("object") << good << -1;
        QTest::newRow("truncated") << "[" + good.left(20) << -1;
    }

    void decodingSkipsBrokenRecordsAndRejectsNonArrays()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, count);
        const auto decoded = SignalPostBody::decodeList(json);
        if (count < 0) {
            QVERIFY(!decoded);
        } else {
            QVERIFY(decoded);
            QCOMPARE(decoded->size(), count);
        }
    }

    void timeZoneDescription_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("expected");
        QTest::newRow("+2") << 7200 << QStringLiteral("UTC+2");
        QTest::newRow("-5") << -18000 << QStringLiteral("UTC-5");
        QTest::newRow("+5:30") << 19800 << QStringLiteral("UTC+5:30");
        QTest::newRow("+5:45") << 20700 << QStringLiteral("UTC+5:45");
        QTest::newRow("-3:30") << -12600 << QStringLiteral("UTC-3:30");
        QTest::newRow("-0:30") << -1800 << QStringLiteral("UTC-0:30");
        QTest::newRow("0") << 0 << QStringLiteral("UTC+0");
    }

    void timeZoneDescription()
    {
        QFETCH(int, offset);
        QFETCH(QString, expected);
        QCOMPARE(DefaultSignalPayload::timeZoneDescription(offset), expected);
    }

    void calendarFigures_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QStringList>(
            "expected"); // day, weekday, year day, week, weekend, month, quarter, hour
        QTest::newRow("Sunday at the end of a leap year")
            << QDateTime(QDate(2024, 12, 29), QTime(23, 5))
            << QStringList{u"29"_qs, u"7"_qs, u"364"_qs, u"52"_qs, u"true"_qs, u"12"_qs, u"4"_qs, u"23"_qs};
        QTest::newRow("Wednesday, New Year's Day")
            << QDateTime(QDate(2025, 1, 1), QTime(0, 0))
            << QStringList{u"1"_qs, u"3"_qs, u"1"_qs, u"1"_qs, u"false"_qs, u"1"_qs, u"1"_qs, u"0"_qs};
        QTest::newRow("Saturday in the third quarter")
            << QDateTime(QDate(2025, 9, 6), QTime(12, 30))
            << QStringList{u"6"_qs, u"6"_qs, u"249"_qs, u"36"_qs, u"true"_qs, u"9"_qs, u"3"_qs, u"12"_qs};
    }

    void calendarFigures()
    {
        QFETCH(QDateTime, time);
        QFETCH(QStringList, expected);
        const ParameterDictionary figures = DefaultSignalPayload::calendarParameters(time);
        const QStringList keys{u"dayOfMonth"_qs, u"dayOfWeek"_qs,   u"dayOfYear"_qs,     u"weekOfYear"_qs,
                               u"isWeekend"_qs,  u"monthOfYear"_qs, u"quarterOfYear"_qs, u"hourOfDay"_qs};
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(figures.value(QStringLiteral("Beacon.Calendar.") + keys[i]), expected[i]);
    }

    void modelNameReadsDmiUpToTheFirstNulElseUname()
    {
        QTemporaryDir dmi;
        QFile file(dmi.filePath(QStringLiteral("product_name")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("ThinkPad X1\0junk\n", 17));
        file.close();
        QCOMPARE(DefaultSignalPayload::modelName(dmi.path()), QStringLiteral("ThinkPad X1"));

        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.close();
        const QString fallback = DefaultSignalPayload::modelName(dmi.path());
        QVERIFY(!fallback.isEmpty());
        QCOMPARE(DefaultSignalPayload::modelName(dmi.filePath(QStringLiteral("missing"))), fallback);
    }

    void payloadHasEveryKeyWithLinuxValues()
    {
        TelemetryManagerConfiguration config(QStringLiteral("APP"));
        config.appVersion = QStringLiteral("1.2.0");
        config.buildNumber = QStringLiteral("42");
        const ParameterDictionary payload =
            DefaultSignalPayload::parameters(config, nullptr, 1'750'000'000.0);

        const QStringList keys{u"platform"_qs,
                               u"systemVersion"_qs,
                               u"majorSystemVersion"_qs,
                               u"majorMinorSystemVersion"_qs,
                               u"appVersion"_qs,
                               u"buildNumber"_qs,
                               u"isSimulator"_qs,
                               u"isDebug"_qs,
                               u"isTestFlight"_qs,
                               u"isAppStore"_qs,
                               u"modelName"_qs,
                               u"architecture"_qs,
                               u"operatingSystem"_qs,
                               u"targetEnvironment"_qs,
                               u"locale"_qs,
                               u"region"_qs,
                               u"appLanguage"_qs,
                               u"preferredLanguage"_qs,
                               u"telemetryClientVersion"_qs,
                               u"Beacon.Device.orientation"_qs,
                               u"Beacon.Device.screenResolutionHeight"_qs,
                               u"Beacon.Device.screenResolutionWidth"_qs,
                               u"Beacon.Device.screenScaleFactor"_qs,
                               u"Beacon.UserPreference.colorScheme"_qs,
                               u"Beacon.UserPreference.layoutDirection"_qs,
                               u"Beacon.Accessibility.isReduceMotionEnabled"_qs,
                               u"Beacon.Accessibility.isInvertColorsEnabled"_qs,
                               u"Beacon.Calendar.quarterOfYear"_qs};
        for (const QString& key : keys)
            QVERIFY2(payload.contains(key), qPrintable(key));

        QCOMPARE(payload.value(u"operatingSystem"_qs), u"Linux"_qs);
        QCOMPARE(payload.value(u"Beacon.Device.platform"_qs), u"Linux"_qs);
        QVERIFY(QRegularExpression(u"^Linux \\d+\\.\\d+\\.\\d+$"_qs)
                    .match(payload.value(u"systemVersion"_qs))
                    .hasMatch());
        QVERIFY(payload.value(u"systemVersion"_qs)
                    .startsWith(payload.value(u"majorMinorSystemVersion"_qs) + u"."_qs));
        QCOMPARE(payload.value(u"Beacon.AppInfo.versionAndBuildNumber"_qs), u"1.2.0 (build 42)"_qs);
        QCOMPARE(payload.value(u"Beacon.SDK.nameAndVersion"_qs), u"CppSDK 1.0.0"_qs);
        QCOMPARE(payload.value(u"telemetryClientVersion"_qs), u"1.0.0"_qs);
        // The test runs with LANG=en_US.UTF-8.
        QCOMPARE(payload.value(u"region"_qs), u"US"_qs);
        QCOMPARE(payload.value(u"appLanguage"_qs), u"en"_qs);
        QCOMPARE(payload.value(u"preferredLanguage"_qs), u"en"_qs);
        QCOMPARE(payload.value(u"Beacon.UserPreference.layoutDirection"_qs), u"leftToRight"_qs);
        QVERIFY(QRegularExpression(u"^UTC[+-]\\d+(:\\d\\d)?$"_qs)
                    .match(payload.value(u"Beacon.Device.timeZone"_qs))
                    .hasMatch());
        for (auto it = payload.cbegin(); it != payload.cend(); ++it)
            QVERIFY2(!it.value().isNull(), qPrintable(it.key()));
    }
};

OVELIN_TEST_MAIN(TestSignalPayload)
#include "tst_SignalPayload.moc"
