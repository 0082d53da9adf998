#include <thread>
#include <vector>

#include <Beacon/Clock.h>
#include <Beacon/TelemetryManagerConfiguration.h>

#include "support/TestMain.h"
#include "telemetry/Telemetry.h"

class TestTelemetry : public QObject
{
    Q_OBJECT

private:
    struct Sent
    {
        QString name;
        SignalParameters parameters;
    };
    std::shared_ptr<ManualClock> m_clock;
    std::mutex m_mutex;
    QList<Sent> m_sent;

    QList<Sent> sent()
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_shared<ManualClock>();
        Clock::setCurrent(m_clock);
        m_sent.clear();
        Telemetry::shared().resetThrottling();
        Telemetry::shared().setSender([this](const QString& name, const SignalParameters& parameters) {
            std::lock_guard lock(m_mutex);
            m_sent.append({name, parameters});
        });
    }

    void cleanup()
    {
        Telemetry::shared().setSender(nullptr);
        Clock::setCurrent(nullptr);
        qunsetenv("OVELIN_ANALYTICS_URL");
    }

    // Throttled per signal and key parameter (by content type here), by the bare name where no key
    // parameter is given; every signal carries the app parameter (its value, and the payloads'
    // others, are tst_TelemetryEndToEnd's).
    void throttledSignalsPerKeyAndInterval()
    {
        Telemetry& telemetry = Telemetry::shared();
        const SignalParameters text{{u"contentType"_qs, u"text"_qs}};
        const SignalParameters image{{u"contentType"_qs, u"image"_qs}};
        const SignalParameters other{{u"settingKey"_qs, u"a"_qs}};
        const SignalParameters another{{u"settingKey"_qs, u"b"_qs}};

        telemetry.sendThrottled(AppSignal::PastePerformed, text, 15); // t = 0: sent
        m_clock->advance(10);
        telemetry.sendThrottled(AppSignal::PastePerformed, text, 15);     // 10 s later: dropped
        telemetry.sendThrottled(AppSignal::PastePerformed, image, 15);    // other key: sent
        telemetry.sendThrottled(AppSignal::SettingsChanged, other, 30);   // sent
        telemetry.sendThrottled(AppSignal::SettingsChanged, another, 30); // same name alone: dropped
        m_clock->advance(5);
        telemetry.sendThrottled(AppSignal::PastePerformed, text, 15); // exactly 15 s: sent
        m_clock->advance(14.9);
        telemetry.sendThrottled(AppSignal::PastePerformed, text, 15); // dropped

        QStringList keys;
        for (const Sent& s : sent())
            keys.append(s.name + u":"_qs + s.parameters.value(u"contentType"_qs) +
                        s.parameters.value(u"settingKey"_qs));
        QCOMPARE(keys, (QStringList{u"PastePerformed:text"_qs, u"PastePerformed:image"_qs,
                                    u"SettingsChanged:a"_qs, u"PastePerformed:text"_qs}));
        QCOMPARE(sent().first().parameters.value(u"app"_qs), u"Ovelin"_qs);
    }

    void concurrentThrottledSendsLetExactlyOneThrough()
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < 8; ++i) {
            threads.emplace_back([] {
                for (int n = 0; n < 50; ++n)
                    Telemetry::shared().sendThrottled(AppSignal::WindowOpened,
                                                      {{u"source"_qs, u"shortcut"_qs}}, 30);
            });
        }
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(sent().size(), 1);
    }

    // Only an http(s) address is taken (tst_TelemetryEndToEnd posts to a loopback one).
    void analyticsAddress()
    {
        for (const QByteArray& environment :
             {QByteArray(), QByteArray("ftp://127.0.0.1/"), QByteArray("localhost 8080")}) {
            if (!environment.isEmpty())
                qputenv("OVELIN_ANALYTICS_URL", environment);
            const TelemetryManagerConfiguration config = Telemetry::analyticsConfiguration();
            QCOMPARE(config.apiBaseURL, TelemetryManagerConfiguration::defaultApiBaseURL());
        }
    }
};

OVELIN_TEST_MAIN(TestTelemetry)
#include "tst_Telemetry.moc"
