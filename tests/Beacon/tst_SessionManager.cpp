#include <limits>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/Clock.h>
#include <Beacon/SessionManager.h>
#include <Beacon/UserStore.h>

#include "support/TestMain.h"

namespace {

double localTime(int year, int month, int day)
{
    return static_cast<double>(QDateTime(QDate(year, month, day), QTime(12, 0)).toSecsSinceEpoch());
}

constexpr double dayLength = 86'400.0;

} // namespace

class TestSessionManager : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ManualClock> m_clock;
    QString m_suite;
    QList<std::pair<QString, ParameterDictionary>> m_sent;
    int m_suiteNumber = 0;

    /// A manager on this test's store, or on none.
    std::unique_ptr<SessionManager> makeManager(bool withStore = true)
    {
        return std::make_unique<SessionManager>(withStore ? m_suite : QString(),
                                                [this](const QString& name, const ParameterDictionary& p) {
                                                    m_sent.append({name, p});
                                                });
    }

    QVariant stored(const QString& key) const { return UserStore::open(m_suite)->value(key); }
    void store(const QString& key, const QVariant& value) { UserStore::open(m_suite)->setValue(key, value); }

    /// The duration of the last session in the store once `manager` wrote it; -1 when none is.
    qint64 storedDuration(SessionManager& manager) const
    {
        manager.waitForPendingWrites();
        const auto sessions = SessionManager::decodeSessions(stored(u"recentSessions"_qs).toByteArray());
        return sessions && !sessions->isEmpty() ? sessions->last().durationInSeconds : qint64(-1);
    }

    /// Runs one session of `seconds` foreground seconds.
    void runSession(SessionManager& manager, double seconds)
    {
        manager.startNewSession();
        m_clock->advance(seconds);
        manager.updateSessionDuration();
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_shared<ManualClock>(localTime(2025, 3, 3)); // a Monday
        Clock::setCurrent(m_clock);
        m_suite = u"test.sessions.%1"_qs.arg(++m_suiteNumber);
        m_sent.clear();
        ApplicationActivity::shared().notifyWillBecomeActive();
    }

    void cleanup() { Clock::setCurrent(nullptr); }

    void sessionsOlderThanNinetyDaysArePrunedAndANewInstallationDetectedOnce_data()
    {
        QTest::addColumn<QList<int>>("storedAges"); // days; each session lasted 40 s
        QTest::addColumn<int>("deletedBefore");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("newInstallation");
        QTest::newRow("first launch") << QList<int>{} << 0 << 0 << true;
        QTest::newRow("one old, one recent") << QList<int>{95, 10} << 3 << 1 << false;
        QTest::newRow("launch after long disuse") << QList<int>{100, 91} << 0 << 0 << true;
    }

    void sessionsOlderThanNinetyDaysArePrunedAndANewInstallationDetectedOnce()
    {
        QFETCH(QList<int>, storedAges);
        QFETCH(int, deletedBefore);
        QFETCH(int, kept);
        QFETCH(bool, newInstallation);
        QList<StoredSession> sessions;
        for (int age : storedAges)
            sessions.append({m_clock->now() - age * dayLength, 40});
        if (!sessions.isEmpty()) // a first launch finds nothing stored
            store(u"recentSessions"_qs, SessionManager::encodeSessions(sessions));
        if (deletedBefore)
            store(u"deletedSessionsCount"_qs, deletedBefore);

        auto manager = makeManager();
        QCOMPARE(manager->recentSessions().size(), kept);
        runSession(*manager, 5);
        const qsizetype deleted = deletedBefore + storedAges.size() - kept;
        QCOMPARE(m_sent.size(), newInstallation ? 1 : 0);
        if (newInstallation)
            QCOMPARE(m_sent[0], std::make_pair(u"Beacon.Acquisition.newInstallDetected"_qs,
                                               ParameterDictionary{{u"Beacon.Acquisition.firstSessionDate"_qs,
                                                                    u"2025-03-03"_qs}}));
        manager->waitForPendingWrites();
        QCOMPARE(stored(u"deletedSessionsCount"_qs).toLongLong(), deleted);
        QCOMPARE(manager->retentionParameters().value(u"Beacon.Retention.totalSessionsCount"_qs),
                 QString::number(deleted + kept + 1));
        QCOMPARE(stored(u"firstSessionDate"_qs).toString(), newInstallation ? u"2025-03-03"_qs : QString());

        manager->startNewSession();
        manager.reset();
        makeManager()->startNewSession();
        QCOMPARE(m_sent.size(), newInstallation ? 1 : 0);
    }

    void retentionFigures_data()
    {
        QTest::addColumn<QList<qint64>>("earlierSessions");
        QTest::addColumn<double>("currentSession");
        QTest::addColumn<QString>("average");
        QTest::addColumn<QString>("previous"); // empty: absent
        QTest::newRow("10, 20 and the current 30") << QList<qint64>{10, 20} << 30.0 << u"15"_qs << u"20"_qs;
        QTest::newRow("only the current session") << QList<qint64>{} << 42.7 << u"42"_qs << QString();
        QTest::newRow("current session shorter than a second")
            << QList<qint64>{} << 0.5 << u"-1"_qs << QString();
        QTest::newRow("average truncates") << QList<qint64>{10, 11} << 3.0 << u"10"_qs << u"11"_qs;
    }

    void retentionFigures()
    {
        QFETCH(QList<qint64>, earlierSessions);
        QFETCH(double, currentSession);
        QFETCH(QString, average);
        QFETCH(QString, previous);

        QList<StoredSession> sessions;
        for (qsizetype i = 0; i < earlierSessions.size(); ++i)
            sessions.append({m_clock->now() - (i + 1) * 3600.0, earlierSessions[i]});
        store(u"recentSessions"_qs, SessionManager::encodeSessions(sessions));
        auto manager = makeManager();
        runSession(*manager, currentSession);

        const ParameterDictionary figures = manager->retentionParameters();
        QCOMPARE(figures.value(u"Beacon.Retention.averageSessionSeconds"_qs), average);
        QCOMPARE(figures.value(u"Beacon.Retention.previousSessionSeconds"_qs, u"(absent)"_qs),
                 previous.isEmpty() ? u"(absent)"_qs : previous);
        // The sessions of a second or more, in whole seconds, are there after a restart.
        manager->handleDidEnterBackgroundNotification();
        manager->waitForPendingWrites();
        QCOMPARE(makeManager()->recentSessions().size(), earlierSessions.size() + (currentSession >= 1));
        QCOMPARE(makeManager()->recentSessions(), manager->recentSessions());
    }

    void daysOfUseAreRecordedOncePerDayInOrder()
    {
        const double monday = localTime(2025, 3, 3);
        for (double day : {monday, monday + 3600, monday + dayLength, monday + 7 * dayLength}) {
            m_clock->set(day);
            makeManager(); // each launch records its day
        }
        QCOMPARE(stored(u"distinctDaysUsed"_qs).toStringList(),
                 (QStringList{u"2025-03-03"_qs, u"2025-03-04"_qs, u"2025-03-10"_qs}));

        m_clock->set(monday + 35 * dayLength); // the last month starts on 8 March
        auto manager = makeManager();
        manager->waitForPendingWrites();
        const ParameterDictionary figures = manager->retentionParameters();
        QCOMPARE(figures.value(u"Beacon.Retention.distinctDaysUsed"_qs), u"4"_qs);
        QCOMPARE(figures.value(u"Beacon.Retention.distinctDaysUsedLastMonth"_qs), u"2"_qs);
        QCOMPARE(figures.value(u"Beacon.Acquisition.firstSessionDate"_qs), u"2025-04-07"_qs);
    }

    // Each store is a synced file write: the running session is stored once a minute at most,
    // however often signals bring its duration up to date.
    void activeTimeIsStoredOncePerMinuteAndWhenLeavingTheForeground()
    {
        ApplicationActivity& activity = ApplicationActivity::shared();
        auto manager = makeManager();
        activity.notifyDidResignActive();
        manager->startNewSession();
        QVERIFY(!manager->isCounting()); // begun in the background: nothing counts yet
        activity.notifyWillBecomeActive();
        QVERIFY(manager->isCounting());
        m_clock->advance(2);
        manager->updateSessionDuration();
        QCOMPARE(storedDuration(*manager), 2);
        for (int second = 0; second < 57; ++second) {
            m_clock->advance(1);
            manager->updateSessionDuration();
        }
        QCOMPARE(manager->recentSessions().last().durationInSeconds, 59);
        QCOMPARE(storedDuration(*manager), 2);
        m_clock->advance(3);
        manager->updateSessionDuration();
        QCOMPARE(storedDuration(*manager), 62);

        m_clock->advance(4);
        activity.notifyDidResignActive();
        QVERIFY(!manager->isCounting());
        QCOMPARE(storedDuration(*manager), 66);
        m_clock->advance(1800);           // inactive time is not counted
        manager->updateSessionDuration(); // a signal sent meanwhile counts nothing either
        activity.notifyWillBecomeActive();
        m_clock->advance(5);
        activity.notifyWillTerminate();
        QCOMPARE(storedDuration(*manager), 71);
    }

    void unusableClockReadingsNeverCorruptStoredDurations_data()
    {
        QTest::addColumn<double>("jump");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("clock goes back") << -500.0 << qint64(20);
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(20);
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << qint64(20);
        QTest::newRow("beyond 64 bits") << 1e30 << std::numeric_limits<qint64>::max();
    }

    void unusableClockReadingsNeverCorruptStoredDurations()
    {
        QFETCH(double, jump);
        QFETCH(qint64, expected);
        auto manager = makeManager();
        runSession(*manager, 20);
        m_clock->set(m_clock->now() + jump);
        manager->updateSessionDuration();
        QCOMPARE(manager->recentSessions().last().durationInSeconds, expected);
        QCOMPARE(storedDuration(*manager), expected);
    }

    void storedSessionsAreReadSafely()
    {
        const qint64 max = std::numeric_limits<qint64>::max();
        const auto start = [this](int ago) { return QString::number(m_clock->now() - ago, 'f', 0); };
        store(u"recentSessions"_qs,
              u"[{\"startedAt\":%1,\"durationInSeconds\":1e300},"
              "{\"startedAt\":%2.5,\"durationInSeconds\":9223372036854775807},"
              "{\"startedAt\":%3,\"durationInSeconds\":5}]"_qs.arg(start(60), start(30), start(10))
                  .toUtf8());
        store(u"deletedSessionsCount"_qs, max);
        auto manager = makeManager();
        QCOMPARE(manager->recentSessions().size(), 3);
        QCOMPARE(manager->recentSessions().first().durationInSeconds, max);
        QCOMPARE(manager->averageSessionSeconds(), max / 2);
        QCOMPARE(manager->retentionParameters().value(u"Beacon.Retention.totalSessionsCount"_qs),
                 QString::number(max));

        // Sessions that cannot be decoded are dropped.
        manager.reset();
        store(u"recentSessions"_qs, QByteArray("[{\"startedAt\":\"soon\"}]"));
        QVERIFY(makeManager()->recentSessions().isEmpty());
        QCOMPARE(makeManager()->averageSessionSeconds(), -1);
    }

    void withoutAStoreEverySessionIsNew()
    {
        runSession(*makeManager(false), 3);
        auto manager = makeManager(false);
        runSession(*manager, 3);
        QCOMPARE(m_sent.size(), 2);
        const ParameterDictionary figures = manager->retentionParameters();
        QCOMPARE(figures.value(u"Beacon.Retention.distinctDaysUsed"_qs), u"0"_qs);
        QCOMPARE(figures.value(u"Beacon.Acquisition.firstSessionDate"_qs), u"2025-03-03"_qs);
    }
};

OVELIN_TEST_MAIN(TestSessionManager)
#include "tst_SessionManager.moc"
