#include <stdexcept>

#include <QTemporaryDir>
#include <QWidget>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/Beacon.h>
#include <Beacon/Clock.h>
#include <Beacon/DurationSignalTracker.h>
#include <Beacon/SignalManager.h>

#include "support/LogCapture.h"
#include "support/TestMain.h"

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ParameterDictionary)

namespace {

const QString durationKey = QStringLiteral("Beacon.Signal.durationInSeconds");

class ExportError : public IdentifiableError
{
public:
    QString id() const override { return QStringLiteral("export-failed"); }
    QString localizedDescription() const override { return QStringLiteral("The disk is full."); }
};

} // namespace

class TestPreparedSignals : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ManualClock> m_clock;

    /// The records sent since the last call.
    static QList<SignalPostBody> sentRecords()
    {
        QCoreApplication::processEvents();
        SignalManager* manager = Beacon::signalManager();
        manager->waitForProcessing();
        QList<SignalPostBody> records = manager->signalCache().cachedSignals();
        while (manager->signalCache().pop().size() > 0) {
        }
        return records;
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_shared<ManualClock>();
        Clock::setCurrent(m_clock);
        TelemetryManagerConfiguration config(QStringLiteral("TEST-APP"), std::nullopt,
                                             QUrl(QStringLiteral("http://127.0.0.1:9/")));
        config.logHandler.reset();
        config.sendInterval = 1h;
        config.sessionStatsEnabled = false;
        config.sendNewSessionBeganSignal = false;
        config.signalCacheFile = m_dir.filePath(QStringLiteral("cache"));
        Beacon::initialize(config);
        ApplicationActivity::shared().notifyWillBecomeActive();
    }

    void cleanup()
    {
        Beacon::terminate();
        Clock::setCurrent(nullptr);
    }

    void durationText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cut to thousandths") << 1.23456 << u"1.234"_qs;
        QTest::newRow("half") << 2.5 << u"2.5"_qs;
        QTest::newRow("not representable in binary") << 2.3 << u"2.3"_qs;
        QTest::newRow("under a millisecond") << 0.0009 << u"0"_qs;
        QTest::newRow("large, no exponent") << 1'000'000.0 << u"1000000"_qs;
    }

    void durationText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, expected);
        QCOMPARE(DurationSignalTracker::durationText(seconds), expected);
    }

    void durationSignalCarriesTheElapsedTimeAndMergedParameters()
    {
        Beacon::beginDurationSignal(
            QStringLiteral("Export"),
            {{QStringLiteral("a"), QStringLiteral("1")}, {QStringLiteral("kept"), QStringLiteral("x")}});
        m_clock->advance(1.23456);
        Beacon::endDurationSignal(QStringLiteral("Export"), {{QStringLiteral("a"), QStringLiteral("2")}},
                                  7.0);
        Beacon::endDurationSignal(QStringLiteral("Export"));
        Beacon::endDurationSignal(QStringLiteral("NeverBegun"));

        const QList<SignalPostBody> records = sentRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].type, u"Export"_qs);
        QCOMPARE(records[0].payload.value(durationKey), u"1.234"_qs);
        QCOMPARE(records[0].payload.value(u"a"_qs), u"2"_qs);
        QCOMPARE(records[0].payload.value(u"kept"_qs), u"x"_qs);
        QCOMPARE(records[0].floatValue, std::optional<double>(7.0));
    }

    void inactiveTimeIsLeftOutUnlessAsked_data()
    {
        QTest::addColumn<bool>("includeBackgroundTime");
        QTest::addColumn<QString>("expected");
        QTest::newRow("active time only") << false << u"10"_qs;
        QTest::newRow("whole time") << true << u"610"_qs;
    }

    void inactiveTimeIsLeftOutUnlessAsked()
    {
        QFETCH(bool, includeBackgroundTime);
        QFETCH(QString, expected);
        ApplicationActivity& activity = ApplicationActivity::shared();
        Beacon::beginDurationSignal(QStringLiteral("Reading"), {}, includeBackgroundTime);
        m_clock->advance(4);
        activity.notifyDidResignActive();
        m_clock->advance(600);
        activity.notifyWillBecomeActive();
        m_clock->advance(6);
        Beacon::endDurationSignal(QStringLiteral("Reading"));
        const QList<SignalPostBody> records = sentRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].payload.value(durationKey), expected);
    }

    void navigationIdentifiersFollowThePreviousPath()
    {
        Beacon::resetNavigationPath();
        Beacon::sendNavigationChange(QStringLiteral("settings"));
        Beacon::sendNavigationChange(QStringLiteral("about"));
        Beacon::sendNavigationChange(QStringLiteral("panel"), QStringLiteral("history"));
        QWidget page;
        Beacon::trackNavigationPath(&page, QStringLiteral("preferences"));
        page.show();

        const QList<SignalPostBody> records = sentRecords();
        QCOMPARE(records.size(), 4);
        const QStringList identifiers{u" -> settings"_qs, u"settings -> about"_qs, u"panel -> history"_qs,
                                      u"history -> preferences"_qs};
        for (qsizetype i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].type, u"Beacon.Navigation.pathChanged"_qs);
            QCOMPARE(records[i].payload.value(u"Beacon.Navigation.identifier"_qs), identifiers[i]);
            QCOMPARE(records[i].payload.value(u"Beacon.Navigation.schemaVersion"_qs), u"1"_qs);
        }
        QCOMPARE(records[0].payload.value(u"Beacon.Navigation.sourcePath"_qs), QString());
        QVERIFY(records[0].payload.contains(u"Beacon.Navigation.sourcePath"_qs));
        QCOMPARE(records[1].payload.value(u"Beacon.Navigation.destinationPath"_qs), u"about"_qs);
        QCOMPARE(Beacon::previousNavigationPath(), std::optional<QString>(u"preferences"_qs));
    }

    void errorSignalForms_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<ParameterDictionary>("parameters");
        QTest::addColumn<ParameterDictionary>("expected"); // the "Beacon.Error.*" keys and the caller's

        QTest::newRow("identifier only") << 1 << ParameterDictionary{}
                                         << ParameterDictionary{{u"Beacon.Error.id"_qs, u"export-failed"_qs}};
        QTest::newRow("identifier, category and message")
            << 2 << ParameterDictionary{{u"screen"_qs, u"export"_qs}}
            << ParameterDictionary{{u"Beacon.Error.id"_qs, u"export-failed"_qs},
                                   {u"Beacon.Error.category"_qs, u"user-input"_qs},
                                   {u"Beacon.Error.message"_qs, u"Name is empty"_qs},
                                   {u"screen"_qs, u"export"_qs}};
        QTest::newRow("error with its description")
            << 3 << ParameterDictionary{}
            << ParameterDictionary{{u"Beacon.Error.id"_qs, u"export-failed"_qs},
                                   {u"Beacon.Error.category"_qs, u"thrown-exception"_qs},
                                   {u"Beacon.Error.message"_qs, u"The disk is full."_qs}};
        QTest::newRow("error without a message")
            << 4 << ParameterDictionary{}
            << ParameterDictionary{{u"Beacon.Error.id"_qs, u"export-failed"_qs},
                                   {u"Beacon.Error.category"_qs, u"app-state"_qs}};
        QTest::newRow("caller's parameters win")
            << 3 << ParameterDictionary{{u"Beacon.Error.message"_qs, u"(hidden)"_qs}}
            << ParameterDictionary{{u"Beacon.Error.id"_qs, u"export-failed"_qs},
                                   {u"Beacon.Error.category"_qs, u"thrown-exception"_qs},
                                   {u"Beacon.Error.message"_qs, u"(hidden)"_qs}};
        QTest::newRow("wrapped standard exception")
            << 5 << ParameterDictionary{}
            << ParameterDictionary{{u"Beacon.Error.id"_qs, u"parse"_qs},
                                   {u"Beacon.Error.category"_qs, u"thrown-exception"_qs},
                                   {u"Beacon.Error.message"_qs, u"bad number"_qs}};
    }

    void errorSignalForms()
    {
        QFETCH(int, form);
        QFETCH(ParameterDictionary, parameters);
        QFETCH(ParameterDictionary, expected);
        const ExportError error;
        switch (form) {
        case 1:
            Beacon::sendErrorSignal(u"export-failed"_qs);
            break;
        case 2:
            Beacon::sendErrorSignal(u"export-failed"_qs, ErrorCategory::userInput, u"Name is empty"_qs,
                                    parameters);
            break;
        case 3:
            Beacon::sendErrorSignal(error, ErrorCategory::thrownException, parameters);
            break;
        case 4:
            Beacon::sendErrorSignal(error, ErrorCategory::appState, std::nullopt, parameters);
            break;
        case 5:
            Beacon::sendErrorSignal(AnyIdentifiableError(u"parse"_qs, std::invalid_argument("bad number")));
            break;
        }
        const QList<SignalPostBody> records = sentRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].type, u"Beacon.Error.occurred"_qs);
        ParameterDictionary actual;
        for (auto it = records[0].payload.cbegin(); it != records[0].payload.cend(); ++it) {
            if (it.key().startsWith(u"Beacon.Error."_qs) || parameters.contains(it.key()))
                actual.insert(it.key(), it.value());
        }
        QCOMPARE(actual, expected);
    }

    void logLinesBelowTheHandlersLevelAreDropped()
    {
        LogCapture capture;
        const LogHandler handler = capture.handler(LogLevel::error);
        handler.log(LogLevel::debug, u"d"_qs);
        handler.log(LogLevel::info, u"i"_qs);
        handler.log(LogLevel::error, u"e"_qs);
        QCOMPARE(capture.lines(), QStringList{u"e"_qs});
    }
};

OVELIN_TEST_MAIN(TestPreparedSignals)
#include "tst_PreparedSignals.moc"
