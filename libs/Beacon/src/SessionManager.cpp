#include "Beacon/SessionManager.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include "Beacon/ApplicationActivity.h"
#include "Beacon/Beacon.h"
#include "Beacon/Clock.h"
#include "Beacon/UserStore.h"
#include "SerialQueue.h"

namespace {

const QString recentSessionsKey = QStringLiteral("recentSessions");
const QString deletedSessionsCountKey = QStringLiteral("deletedSessionsCount");
const QString firstSessionDateKey = QStringLiteral("firstSessionDate");
const QString distinctDaysUsedKey = QStringLiteral("distinctDaysUsed");

QString dayString(const QDateTime& time)
{
    return time.date().toString(Qt::ISODate);
}

QString today()
{
    return dayString(Clock::toDateTime(Clock::current().now()));
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

} // namespace

SessionManager& SessionManager::shared()
{
    static SessionManager* instance = new SessionManager(Beacon::storeSuiteName());
    return *instance;
}

SessionManager::SessionManager(const QString& storeSuite, SignalSender sendSignal, QObject* parent)
    : QObject(parent), m_storeSuite(storeSuite), m_sendSignal(std::move(sendSignal)),
      m_persistenceQueue(std::make_unique<SerialQueue>())
{
    if (!m_sendSignal) {
        m_sendSignal = [](const QString& name, const ParameterDictionary& parameters) {
            Beacon::signal(name, parameters);
        };
    }
    if (auto store = UserStore::open(m_storeSuite)) {
        if (const auto sessions = decodeSessions(store->value(recentSessionsKey).toByteArray())) {
            const double cutOff = Clock::current().now() - retentionPeriod;
            qint64 dropped = 0;
            for (const StoredSession& session : *sessions) {
                if (session.startedAt > cutOff)
                    m_recentSessions.append(session);
                else
                    ++dropped;
            }
            if (dropped > 0) {
                const qint64 total =
                    saturatingAdd(store->value(deletedSessionsCountKey, 0).toLongLong(), dropped);
                write([total](QSettings& s) { s.setValue(deletedSessionsCountKey, total); });
            }
        }
    }
    updateDistinctDaysUsed();

    ApplicationActivity& activity = ApplicationActivity::shared();
    connect(&activity, &ApplicationActivity::didResignActive, this,
            &SessionManager::handleDidEnterBackgroundNotification);
    connect(&activity, &ApplicationActivity::willBecomeActive, this,
            &SessionManager::handleWillEnterForegroundNotification);
    connect(&activity, &ApplicationActivity::willTerminate, this, &SessionManager::handleWillTerminate);
}

SessionManager::~SessionManager()
{
    waitForPendingWrites();
}

void SessionManager::updateDistinctDaysUsed()
{
    auto store = UserStore::open(m_storeSuite);
    if (!store)
        return;
    const QString day = today();
    QStringList days = store->value(distinctDaysUsedKey).toStringList();
    if (!days.isEmpty() && days.last() == day)
        return;
    days.append(day);
    write([days](QSettings& s) { s.setValue(distinctDaysUsedKey, days); });
}

void SessionManager::startNewSession()
{
    stopCounting();
    if (m_recentSessions.isEmpty()) {
        // Nothing used in the last 90 days: a new installation, as far as anyone can tell.
        const QString day = today();
        write([day](QSettings& s) { s.setValue(firstSessionDateKey, day); });
        m_sendSignal(QStringLiteral("Beacon.Acquisition.newInstallDetected"),
                     {{QStringLiteral("Beacon.Acquisition.firstSessionDate"), day}});
    }
    m_currentSessionStartedAt = Clock::current().now();
    m_currentSessionDuration = 0;
    m_lastPersistedAt.reset();
    // A session begun in the background starts counting when the application becomes active.
    if (!ApplicationActivity::shared().isActive())
        return;
    startCounting();
}

void SessionManager::startCounting()
{
    m_counting = true;
    m_sessionDurationLastUpdatedAt.reset();
    updateSessionDuration();
}

void SessionManager::updateSessionDuration()
{
    if (!m_counting)
        return;
    const double now = Clock::current().now();
    if (m_sessionDurationLastUpdatedAt) {
        // A clock that jumps back or reads garbage must not shrink or poison the duration.
        const double elapsed = now - *m_sessionDurationLastUpdatedAt;
        if (std::isfinite(elapsed) && elapsed > 0)
            m_currentSessionDuration += elapsed;
    }
    m_sessionDurationLastUpdatedAt = now;
    persistCurrentSession(false);
}

void SessionManager::stopCounting()
{
    m_counting = false;
    m_sessionDurationLastUpdatedAt.reset();
}

// The duration lives in memory; each store is a synced file write, so the running session is
// written at most once a minute and in full when the application leaves the foreground or quits.
void SessionManager::persistCurrentSession(bool now)
{
    if (!(m_currentSessionDuration >= 1.0))
        return;
    const auto duration = wholeSeconds(m_currentSessionDuration);
    if (!duration)
        return;
    auto it =
        std::find_if(m_recentSessions.rbegin(), m_recentSessions.rend(),
                     [this](const StoredSession& s) { return s.startedAt == m_currentSessionStartedAt; });
    if (it != m_recentSessions.rend())
        it->durationInSeconds = *duration;
    else
        m_recentSessions.append({m_currentSessionStartedAt, *duration});

    const double time = Clock::current().now();
    if (!now && m_lastPersistedAt && !(time - *m_lastPersistedAt >= persistInterval))
        return;
    m_lastPersistedAt = time;
    const QByteArray json = encodeSessions(m_recentSessions);
    write([json](QSettings& s) { s.setValue(recentSessionsKey, json); });
}

void SessionManager::handleDidEnterBackgroundNotification()
{
    if (m_counting) {
        updateSessionDuration();
        persistCurrentSession(true);
    }
    stopCounting();
}

void SessionManager::handleWillEnterForegroundNotification()
{
    if (m_currentSessionStartedAt < 0 || m_counting) // no session begun yet, or counting already
        return;
    startCounting();
}

void SessionManager::handleWillTerminate()
{
    if (m_counting) {
        updateSessionDuration();
        persistCurrentSession(true);
    }
    waitForPendingWrites();
}

qint64 SessionManager::averageSessionSeconds() const
{
    if (m_recentSessions.isEmpty())
        return -1;
    if (m_recentSessions.size() == 1)
        return m_recentSessions.first().durationInSeconds;
    qint64 sum = 0;
    for (qsizetype i = 0; i + 1 < m_recentSessions.size(); ++i)
        sum = saturatingAdd(sum, m_recentSessions[i].durationInSeconds);
    return sum / (m_recentSessions.size() - 1);
}

ParameterDictionary SessionManager::retentionParameters() const
{
    const auto store = UserStore::open(m_storeSuite);
    const double now = Clock::current().now();
    const QStringList days = store ? store->value(distinctDaysUsedKey).toStringList() : QStringList();
    // The cut-off day is taken in UTC.
    const QString cutOff = dayString(Clock::toDateTime(now - lastMonthPeriod).toUTC());
    const auto lastMonth =
        std::count_if(days.cbegin(), days.cend(), [&](const QString& d) { return d >= cutOff; });
    const QString firstSessionDate = store ? store->value(firstSessionDateKey).toString() : QString();
    const qint64 deleted = store ? store->value(deletedSessionsCountKey, 0).toLongLong() : 0;

    ParameterDictionary figures{
        {QStringLiteral("Beacon.Acquisition.firstSessionDate"),
         firstSessionDate.isEmpty() ? today() : firstSessionDate},
        {QStringLiteral("Beacon.Retention.averageSessionSeconds"), QString::number(averageSessionSeconds())},
        {QStringLiteral("Beacon.Retention.distinctDaysUsed"), QString::number(days.size())},
        {QStringLiteral("Beacon.Retention.distinctDaysUsedLastMonth"), QString::number(lastMonth)},
        {QStringLiteral("Beacon.Retention.totalSessionsCount"),
         QString::number(saturatingAdd(m_recentSessions.size(), deleted))},
    };
    if (m_recentSessions.size() >= 2) {
        figures.insert(QStringLiteral("Beacon.Retention.previousSessionSeconds"),
                       QString::number(m_recentSessions[m_recentSessions.size() - 2].durationInSeconds));
    }
    return figures;
}

void SessionManager::waitForPendingWrites()
{
    m_persistenceQueue->waitUntilIdle();
}

void SessionManager::write(std::function<void(QSettings&)> change)
{
    if (m_storeSuite.isEmpty())
        return;
    m_persistenceQueue->async([suite = m_storeSuite, change = std::move(change)] {
        if (auto store = UserStore::open(suite)) {
            change(*store);
            store->sync();
        }
    });
}

QByteArray SessionManager::encodeSessions(const QList<StoredSession>& sessions)
{
    QJsonArray array;
    for (const StoredSession& session : sessions) {
        array.append(QJsonObject{{QStringLiteral("startedAt"), wholeSeconds(session.startedAt).value_or(0)},
                                 {QStringLiteral("durationInSeconds"), session.durationInSeconds}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<StoredSession>> SessionManager::decodeSessions(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return std::nullopt;
    QList<StoredSession> sessions;
    for (const QJsonValue& value : document.array()) {
        const QJsonValue startedAt = value.toObject().value(QLatin1String("startedAt"));
        const QJsonValue duration = value.toObject().value(QLatin1String("durationInSeconds"));
        if (!startedAt.isDouble() || !duration.isDouble())
            return std::nullopt;
        const auto seconds = wholeSeconds(duration.toDouble());
        if (!seconds)
            return std::nullopt;
        sessions.append({startedAt.toDouble(), *seconds});
    }
    return sessions;
}

std::optional<qint64> SessionManager::wholeSeconds(double seconds)
{
    if (std::isnan(seconds))
        return std::nullopt;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (seconds >= limit)
        return std::numeric_limits<qint64>::max();
    if (seconds <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::trunc(seconds));
}
