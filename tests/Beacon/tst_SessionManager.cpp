#include <limits>

#include <QSettings>

#include <Beacon/ApplicationActivity.h>
#include <Beacon/Clock.h>
#include <Beacon/SessionManager.h>
#include <Beacon/UserStore.h>

#include "support/TestMain.h"

namespace {

double localTime(int year, int month, int day, int hour = 12)
{
    return static_cast<double>(QDateTime(QDate(year, month, day), QTime(hour, 0)).toSecsSinceEpoch());
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

    std::unique_ptr<SessionManager> makeManager()
    {
        return std::make_unique<SessionManager>(m_suite,
                                                [this](const QString& name, const ParameterDictionary& p) {
                                                    m_sent.append({name, p});
                                                });
    }

    QVariant stored(const QString& key) const { return UserStore::open(m_suite)->value(key); }

    void storeSessions(const QList<StoredSession>& sessions)
    {
        UserStore::open(m_suite)->setValue(QStringLiteral("recentSessions"),
                                           SessionManager::encodeSessions(sessions));
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
        m_suite = QStringLiteral("test.sessions.%1").arg(++m_suiteNumber);
        m_sent.clear();
        ApplicationActivity::shared().notifyWillBecomeActive();
    }

    void cleanup() { Clock::setCurrent(nullptr); }

    void firstLaunchIsANewInstallationOnce()
    {
        auto manager = makeManager();
        runSession(*manager, 5);
        QCOMPARE(m_sent.size(), 1);
        QCOMPARE(m_sent[0].first, QStringLiteral("Beacon.Acquisition.newInstallDetected"));
        QCOMPARE(m_sent[0].second,
                 (ParameterDictionary{
                     {QStringLiteral("Beacon.Acquisition.firstSessionDate"), QStringLiteral("2025-03-03")}}));
        manager->waitForPendingWrites();
        QCOMPARE(stored(QStringLiteral("firstSessionDate")).toString(), QStringLiteral("2025-03-03"));

        manager->startNewSession();
        QCOMPARE(m_sent.size(), 1);
        manager.reset();
        makeManager()->startNewSession();
        QCOMPARE(m_sent.size(), 1);
    }

    void sessionsOlderThanNinetyDaysArePrunedAndCounted()
    {
        const double now = m_clock->now();
        storeSessions({{now - 95 * dayLength, 40}, {now - 10 * dayLength, 60}});
        UserStore::open(m_suite)->setValue(QStringLiteral("deletedSessionsCount"), 3);

        auto manager = makeManager();
        QCOMPARE(manager->recentSessions().size(), 1);
        QCOMPARE(manager->recentSessions().first().durationInSeconds, 60);
        manager->waitForPendingWrites();
        QCOMPARE(stored(QStringLiteral("deletedSessionsCount")).toLongLong(), 4);
        QCOMPARE(manager->retentionParameters().value(QStringLiteral("Beacon.Retention.totalSessionsCount")),
                 QStringLiteral("5"));
    }

    void launchAfterLongDisuseCountsAsNewInstallation()
    {
        storeSessions({{m_clock->now() - 100 * dayLength, 40}, {m_clock->now() - 91 * dayLength, 50}});
        auto manager = makeManager();
        QVERIFY(manager->recentSessions().isEmpty());
        manager->startNewSession();
        QCOMPARE(m_sent.size(), 1);
        manager->waitForPendingWrites();
        QCOMPARE(stored(QStringLiteral("deletedSessionsCount")).toLongLong(), 2);
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
        storeSessions(sessions);
        auto manager = makeManager();
        runSession(*manager, currentSession);

        const ParameterDictionary figures = manager->retentionParameters();
        QCOMPARE(figures.value(QStringLiteral("Beacon.Retention.averageSessionSeconds")), average);
        QCOMPARE(figures.value(QStringLiteral("Beacon.Retention.previousSessionSeconds")), previous);
        QCOMPARE(figures.contains(QStringLiteral("Beacon.Retention.previousSessionSeconds")),
                 !previous.isEmpty());
    }

    void shortSessionLeavesNoEntry()
    {
        auto manager = makeManager();
        runSession(*manager, 0.9);
        manager->handleDidEnterBackgroundNotification();
        QVERIFY(manager->recentSessions().isEmpty());
        manager->waitForPendingWrites();
        QVERIFY(!stored(QStringLiteral("recentSessions")).isValid());
    }

    void storedSessionSurvivesARestart()
    {
        {
            auto manager = makeManager();
            runSession(*manager, 12.8);
        }
        auto manager = makeManager();
        QCOMPARE(manager->recentSessions().size(), 1);
        QCOMPARE(manager->recentSessions().first().durationInSeconds, 12);
        QCOMPARE(manager->recentSessions().first().startedAt, std::trunc(localTime(2025, 3, 3)));
    }

    void daysOfUseAreRecordedOncePerDayInOrder()
    {
        const double monday = localTime(2025, 3, 3);
        for (double day : {monday, monday + 3600, monday + dayLength, monday + 7 * dayLength}) {
            m_clock->set(day);
            makeManager(); // each launch records its day
        }
        QCOMPARE(stored(QStringLiteral("distinctDaysUsed")).toStringList(),
                 (QStringList{u"2025-03-03"_qs, u"2025-03-04"_qs, u"2025-03-10"_qs}));

        m_clock->set(monday + 35 * dayLength); // the last month starts on 8 March
        auto manager = makeManager();
        manager->waitForPendingWrites();
        const ParameterDictionary figures = manager->retentionParameters();
        QCOMPARE(figures.value(QStringLiteral("Beacon.Retention.distinctDaysUsed")), u"4"_qs);
        QCOMPARE(figures.value(QStringLiteral("Beacon.Retention.distinctDaysUsedLastMonth")), u"2"_qs);
        QCOMPARE(figures.value(QStringLiteral("Beacon.Acquisition.firstSessionDate")), u"2025-04-07"_qs);
    }

    void inactiveTimeIsNotCounted()
    {
        ApplicationActivity& activity = ApplicationActivity::shared();
        auto manager = makeManager();
        manager->startNewSession();
        m_clock->advance(10);
        activity.notifyDidResignActive();
        QVERIFY(!manager->isTimerRunning());
        m_clock->advance(1800);
        activity.notifyWillBecomeActive();
        QVERIFY(manager->isTimerRunning());
        m_clock->advance(5);
        manager->updateSessionDuration();
        QCOMPARE(manager->currentSessionDuration(), 15.0);
        QCOMPARE(manager->recentSessions().last().durationInSeconds, 15);
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

        manager->waitForPendingWrites();
        const auto reloaded =
            SessionManager::decodeSessions(stored(QStringLiteral("recentSessions")).toByteArray());
        QVERIFY(reloaded);
        QCOMPARE(reloaded->last().durationInSeconds, expected);
    }

    void hugeStoredDurationsDoNotOverflowTheFigures()
    {
        const qint64 max = std::numeric_limits<qint64>::max();
        UserStore::open(m_suite)->setValue(
            QStringLiteral("recentSessions"),
            QByteArray(QByteArray("[{\"startedAt\":") + QByteArray::number(m_clock->now() - 60, 'f', 0) +
                       ",\"durationInSeconds\":1e300},{\"startedAt\":" +
                       QByteArray::number(m_clock->now() - 30, 'f', 0) +
                       ".5,\"durationInSeconds\":9223372036854775807},{\"startedAt\":" +
                       QByteArray::number(m_clock->now() - 10, 'f', 0) + ",\"durationInSeconds\":5}]"));
        UserStore::open(m_suite)->setValue(QStringLiteral("deletedSessionsCount"), max);
        auto manager = makeManager();
        QCOMPARE(manager->recentSessions().size(), 3);
        QCOMPARE(manager->recentSessions().first().durationInSeconds, max);
        QCOMPARE(manager->averageSessionSeconds(), max / 2);
        QCOMPARE(manager->retentionParameters().value(QStringLiteral("Beacon.Retention.totalSessionsCount")),
                 QString::number(max));
    }

    void undecodableStoredSessionsAreDropped()
    {
        UserStore::open(m_suite)->setValue(QStringLiteral("recentSessions"),
                                           QByteArray("[{\"startedAt\":\"soon\"}]"));
        auto manager = makeManager();
        QVERIFY(manager->recentSessions().isEmpty());
        QCOMPARE(manager->averageSessionSeconds(), -1);
    }

    void withoutAStoreEverySessionIsNew()
    {
        const auto record = [this](const QString& name, const ParameterDictionary& p) {
            m_sent.append({name, p});
        };
        {
            SessionManager firstLaunch(QString(), record);
            runSession(firstLaunch, 3);
        }
        SessionManager manager(QString(), record);
        runSession(manager, 3);
        QCOMPARE(m_sent.size(), 2);
        const ParameterDictionary figures = manager.retentionParameters();
        QCOMPARE(figures.value(QStringLiteral("Beacon.Retention.distinctDaysUsed")), u"0"_qs);
        QCOMPARE(figures.value(QStringLiteral("Beacon.Acquisition.firstSessionDate")), u"2025-03-03"_qs);
    }
};

OVELIN_TEST_MAIN(TestSessionManager)
#include "tst_SessionManager.moc"
