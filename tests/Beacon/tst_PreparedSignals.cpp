#include <functional>
#include <stdexcept>

#include <QWidget>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/Beacon.h>
#include <Beacon/Clock.h>
#include <Beacon/DurationSignalTracker.h>

#include "support/ClientSetup.h"
#include "support/LogCapture.h"
#include "support/TestMain.h"

using Sender = std::function<void()>;
Q_DECLARE_METATYPE(ParameterDictionary)
Q_DECLARE_METATYPE(Sender)

namespace {

const QString durationKey = u"Beacon.Signal.durationInSeconds"_qs;

class ExportError : public IdentifiableError
{
public:
    QString id() const override { return u"export-failed"_qs; }
    QString localizedDescription() const override { return u"The disk is full."_qs; }
};

} // namespace

class TestPreparedSignals : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ManualClock> m_clock;

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_shared<ManualClock>();
        Clock::setCurrent(m_clock);
        Beacon::initialize(testConfiguration(m_dir));
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

    void durationSignalCarriesTheElapsedTimeAndMergedParameters_data()
    {
        QTest::addColumn<bool>("includeBackgroundTime");
        QTest::addColumn<QString>("expected");
        QTest::newRow("active time only") << false << u"10.234"_qs;
        QTest::newRow("whole time") << true << u"610.234"_qs;
    }

    void durationSignalCarriesTheElapsedTimeAndMergedParameters()
    {
        QFETCH(bool, includeBackgroundTime);
        QFETCH(QString, expected);
        ApplicationActivity& activity = ApplicationActivity::shared();
        Beacon::beginDurationSignal(u"Export"_qs, {{u"a"_qs, u"1"_qs}, {u"kept"_qs, u"x"_qs}},
                                    includeBackgroundTime);
        m_clock->advance(4.23456);
        activity.notifyDidResignActive();
        m_clock->advance(600);
        activity.notifyWillBecomeActive();
        m_clock->advance(6);
        Beacon::endDurationSignal(u"Export"_qs, {{u"a"_qs, u"2"_qs}}, 7.0);
        Beacon::endDurationSignal(u"Export"_qs);
        Beacon::endDurationSignal(u"NeverBegun"_qs);

        const QList<SignalPostBody> records = cachedRecords(true);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].type, u"Export"_qs);
        QCOMPARE(records[0].payload.value(durationKey), expected);
        QCOMPARE(records[0].payload.value(u"a"_qs), u"2"_qs);
        QCOMPARE(records[0].payload.value(u"kept"_qs), u"x"_qs);
        QCOMPARE(records[0].floatValue, std::optional<double>(7.0));
    }

    void navigationIdentifiersFollowThePreviousPath()
    {
        Beacon::resetNavigationPath();
        Beacon::sendNavigationChange(u"settings"_qs);
        Beacon::sendNavigationChange(u"about"_qs);
        Beacon::sendNavigationChange(u"panel"_qs, u"history"_qs);
        QWidget page;
        Beacon::trackNavigationPath(&page, u"preferences"_qs);
        page.show();

        const QList<SignalPostBody> records = cachedRecords(true);
        QCOMPARE(records.size(), 4);
        const QStringList identifiers{u" -> settings"_qs, u"settings -> about"_qs, u"panel -> history"_qs,
                                      u"history -> preferences"_qs};
        for (qsizetype i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].type, u"Beacon.Navigation.pathChanged"_qs);
            QCOMPARE(records[i].payload.value(u"Beacon.Navigation.identifier"_qs), identifiers[i]);
            QCOMPARE(records[i].payload.value(u"Beacon.Navigation.schemaVersion"_qs), u"1"_qs);
        }
        QCOMPARE(records[0].payload.value(u"Beacon.Navigation.sourcePath"_qs, u"(absent)"_qs), QString());
        QCOMPARE(records[1].payload.value(u"Beacon.Navigation.destinationPath"_qs), u"about"_qs);
        QCOMPARE(Beacon::previousNavigationPath(), std::optional<QString>(u"preferences"_qs));
    }

    void errorSignalForms_data()
    {
        QTest::addColumn<Sender>("send");
        QTest::addColumn<ParameterDictionary>("expected"); // "Beacon.Error." left out, and the caller's keys

        QTest::newRow("identifier only") << Sender([] { Beacon::sendErrorSignal(u"export-failed"_qs); })
                                         << parameters(u"id=export-failed"_qs);
        QTest::newRow("identifier, category and message") << Sender([] {
            Beacon::sendErrorSignal(u"export-failed"_qs, ErrorCategory::userInput, u"Name is empty"_qs,
                                    {{u"screen"_qs, u"export"_qs}});
        }) << parameters(u"id=export-failed;category=user-input;message=Name is empty;screen=export"_qs);
        QTest::newRow("error with its description")
            << Sender([] { Beacon::sendErrorSignal(ExportError(), ErrorCategory::thrownException); })
            << parameters(u"id=export-failed;category=thrown-exception;message=The disk is full."_qs);
        QTest::newRow("error without a message")
            << Sender([] { Beacon::sendErrorSignal(ExportError(), ErrorCategory::appState, std::nullopt); })
            << parameters(u"id=export-failed;category=app-state"_qs);
        QTest::newRow("caller's parameters win") << Sender([] {
            Beacon::sendErrorSignal(ExportError(), ErrorCategory::thrownException,
                                    {{u"Beacon.Error.message"_qs, u"(hidden)"_qs}});
        }) << parameters(u"id=export-failed;category=thrown-exception;message=(hidden)"_qs);
        QTest::newRow("wrapped standard exception") << Sender([] {
            Beacon::sendErrorSignal(AnyIdentifiableError(u"parse"_qs, std::invalid_argument("bad number")));
        }) << parameters(u"id=parse;category=thrown-exception;message=bad number"_qs);
    }

    void errorSignalForms()
    {
        QFETCH(Sender, send);
        QFETCH(ParameterDictionary, expected);
        send();
        const QList<SignalPostBody> records = cachedRecords(true);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].type, u"Beacon.Error.occurred"_qs);
        ParameterDictionary actual;
        for (auto it = records[0].payload.cbegin(); it != records[0].payload.cend(); ++it) {
            const QString key = it.key().startsWith(u"Beacon.Error."_qs) ? it.key().mid(13) : it.key();
            if (it.key() != key || expected.contains(key))
                actual.insert(key, it.value());
        }
        QCOMPARE(actual, expected);
    }

    void logLinesBelowTheHandlersLevelAreDropped()
    {
        LogCapture capture;
        for (LogLevel level : {LogLevel::debug, LogLevel::info, LogLevel::error})
            capture.handler(LogLevel::info).log(level, logLevelDescription(level));
        QCOMPARE(capture.lines(), (QStringList{u"INFO"_qs, u"ERROR"_qs}));
    }
};

OVELIN_TEST_MAIN(TestPreparedSignals)
#include "tst_PreparedSignals.moc"
