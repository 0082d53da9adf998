#include <functional>
#include <stdexcept>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/Beacon.h>
#include <Beacon/Clock.h>
#include <Beacon/DurationSignalTracker.h>

#include "support/ClientSetup.h"
#include "support/TestMain.h"

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

    // Cut to thousandths, with neither binary noise (2.3) nor an exponent.
    void durationText()
    {
        QStringList texts;
        for (double seconds : {1.23456, 2.3, 0.0009, 1'000'000.0})
            texts.append(DurationSignalTracker::durationText(seconds));
        QCOMPARE(texts, (QStringList{u"1.234"_qs, u"2.3"_qs, u"0"_qs, u"1000000"_qs}));
    }

    // The time since the beginning, active or all of it, with the end's parameters over the
    // beginning's; a second end, or the end of what never began, sends nothing.
    void durationSignalCarriesTheElapsedTimeAndMergedParameters()
    {
        ApplicationActivity& activity = ApplicationActivity::shared();
        for (bool includeBackgroundTime : {false, true}) {
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
            QCOMPARE(records[0].payload.value(durationKey),
                     includeBackgroundTime ? u"610.234"_qs : u"10.234"_qs);
            QCOMPARE(records[0].payload.value(u"a"_qs), u"2"_qs);
            QCOMPARE(records[0].payload.value(u"kept"_qs), u"x"_qs);
            QCOMPARE(records[0].floatValue, std::optional<double>(7.0));
        }
    }

    void errorSignalForms()
    {
        const struct
        {
            std::function<void()> send;
            QString expected; // "Beacon.Error." left out, and the caller's keys
        } cases[] = {
            {[] { Beacon::sendErrorSignal(u"export-failed"_qs); }, u"id=export-failed"_qs},
            {[] {
                 Beacon::sendErrorSignal(u"export-failed"_qs, ErrorCategory::userInput, u"Name is empty"_qs,
                                         {{u"screen"_qs, u"export"_qs}});
             },
             u"id=export-failed;category=user-input;message=Name is empty;screen=export"_qs},
            {[] { Beacon::sendErrorSignal(ExportError(), ErrorCategory::thrownException); },
             u"id=export-failed;category=thrown-exception;message=The disk is full."_qs},
            {[] { Beacon::sendErrorSignal(ExportError(), ErrorCategory::appState, std::nullopt); },
             u"id=export-failed;category=app-state"_qs},
            // The caller's parameters win.
            {[] {
                 Beacon::sendErrorSignal(ExportError(), ErrorCategory::thrownException,
                                         {{u"Beacon.Error.message"_qs, u"(hidden)"_qs}});
             },
             u"id=export-failed;category=thrown-exception;message=(hidden)"_qs},
            {[] {
                 Beacon::sendErrorSignal(
                     AnyIdentifiableError(u"parse"_qs, std::invalid_argument("bad number")));
             },
             u"id=parse;category=thrown-exception;message=bad number"_qs},
        };
        for (const auto& c : cases) {
            c.send();
            const QList<SignalPostBody> records = cachedRecords(true);
            QCOMPARE(records.size(), 1);
            QCOMPARE(records[0].type, u"Beacon.Error.occurred"_qs);
            const ParameterDictionary expected = parameters(c.expected);
            ParameterDictionary actual;
            for (auto it = records[0].payload.cbegin(); it != records[0].payload.cend(); ++it) {
                const QString key = it.key().startsWith(u"Beacon.Error."_qs) ? it.key().mid(13) : it.key();
                if (it.key() != key || expected.contains(key))
                    actual.insert(key, it.value());
            }
            QCOMPARE(actual, expected);
        }
    }
};

OVELIN_TEST_MAIN(TestPreparedSignals)
#include "tst_PreparedSignals.moc"
