#include <QHttpServer>
#include <QHttpServerResponse>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTranslator>

#include "PreferencesTestSupport.h"
#include "PrintedLines.h"
#include "TestMain.h"
#include "core/Settings.h"
#include "preferences/ProductLinks.h"
#include "preferences/UpdaterManager.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class UpdaterManagerTest : public QObject
{
    Q_OBJECT

private:
    QHttpServer m_server;
    quint16 m_port = 0;
    QByteArray m_body;
    QHttpServerResponder::StatusCode m_status = QHttpServerResponder::StatusCode::Ok;
    int m_requests = 0;
    ScriptedAlertPresenter m_alerts;
    QList<QUrl> m_opened;
    QTranslator m_translator;

    QUrl feed(const QString& path = u"/updates/linux.json"_s) const
    {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_port).arg(path));
    }

    // Runs one check the way the about page's button does and returns the alert it showed.
    bool check(Alert* shown)
    {
        UpdaterManager& updater = UpdaterManager::shared();
        // Cases run alone too: the updater is started here rather than by an earlier case.
        if (!updater.isStarted()) {
            updater.setFeedUrl(feed());
            updater.start();
        }
        QSignalSpy finished(&updater, &UpdaterManager::checkFinished);
        const qsizetype before = m_alerts.shown.size();
        updater.checkForUpdates();
        if (!finished.wait(10000) || m_alerts.shown.size() != before + 1)
            return false;
        *shown = m_alerts.shown.last();
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_translator.load(u":/i18n/ovelin_en.qm"_s));
        QCoreApplication::installTranslator(&m_translator);
        m_server.route(u"/updates/linux.json"_s, [this] {
            ++m_requests;
            return QHttpServerResponse(QByteArrayLiteral("application/json"), m_body, m_status);
        });
        m_server.route(u"/huge.json"_s, [] {
            return QHttpServerResponse(QByteArrayLiteral("application/json"), QByteArray(200 * 1024, ' '));
        });
        m_port = m_server.listen(QHostAddress::LocalHost);
        QVERIFY(m_port != 0);

        UpdaterManager& updater = UpdaterManager::shared();
        updater.setAlertPresenter(&m_alerts);
        updater.setUrlOpener([this](const QUrl& url) { m_opened.append(url); });
        updater.setRunningVersion(u"1.4.0"_s, u"27"_s);
        // Automatic checks tick quickly here but stay off until the last test turns them on.
        Settings::shared().setValue(QString(SettingsKey::checkUpdatesAutomatically), false);
        updater.setAutomaticCheckTiming(50, 50);
    }

    void startPrintsTheMechanismOnceAndNothingIsCheckedBefore()
    {
        PrintedLines printed;
        UpdaterManager& updater = UpdaterManager::shared();
        if (updater.isStarted())
            QSKIP("the shared updater was started by a case run before this one");
        updater.checkForUpdates();
        QVERIFY(!updater.isChecking());
        // A failed start leaves no updater; the button then does nothing.
        updater.setFeedUrl(QUrl(u"ftp://127.0.0.1/feed.json"_s));
        updater.start();
        QVERIFY(!updater.isStarted());
        updater.checkForUpdates();
        QVERIFY(!updater.isChecking());
        QCOMPARE(m_requests, 0);
        QVERIFY(m_alerts.shown.isEmpty());

        updater.setFeedUrl(feed());
        updater.start();
        updater.start();
        QVERIFY(updater.isStarted());
        QCOMPARE(printed.lines().size(), 2);
        QVERIFY(printed.lines().at(0).startsWith(u"🚫 Falha ao iniciar atualizador (feed JSON): "_s));
        QCOMPARE(printed.lines().at(1), u"✅ Atualizador (feed JSON) iniciado"_s);
    }

    void answersTheFeed_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("messagePart");
        QTest::addColumn<QUrl>("address");
        QTest::addColumn<QUrl>("download"); // opened by the alert's Download button
        const int ok = 200;
        const QUrl json = feed();
        QTest::newRow("newer version, compared number by number")
            << QByteArray("{\"version\": \"1.10.0\", \"url\": \"https://example.org/get\"}") << ok
            << u"update_available_title"_s << u"1.10.0"_s << json << QUrl(u"https://example.org/get"_s);
        // An address that is not the web's is never opened: the button goes to the official site.
        for (const char* unsafe : {"file:///etc/passwd", "javascript:alert(1)"}) {
            QTest::newRow(unsafe) << "{\"version\": \"2.0\", \"url\": \"" + QByteArray(unsafe) + "\"}" << ok
                                  << u"update_available_title"_s << u"2.0"_s << json
                                  << ProductLinks::officialSite();
        }
        QTest::newRow("same version, missing parts are zero")
            << QByteArray("{\"version\": \"1.4\", \"build\": \"27\"}") << ok << u"update_up_to_date_title"_s
            << u"1.4.0"_s << json << QUrl();
        QTest::newRow("same version, newer build")
            << QByteArray("{\"version\": \"1.4.0\", \"build\": 31}") << ok << u"update_available_title"_s
            << u"1.4.0"_s << json << QUrl();
        QTest::newRow("older version") << QByteArray("{\"version\": \"1.3.9\"}") << ok
                                       << u"update_up_to_date_title"_s << u"1.4.0"_s << json << QUrl();
        QTest::newRow("not JSON") << QByteArray("<html>maintenance</html>") << ok << u"update_error_title"_s
                                  << u"JSON"_s << json << QUrl();
        QTest::newRow("no version") << QByteArray("{\"url\": \"https://example.org\"}") << ok
                                    << u"update_error_title"_s << u"version"_s << json << QUrl();
        QTest::newRow("version is not a number") << QByteArray("{\"version\": \"2.0<script>\"}") << ok
                                                 << u"update_error_title"_s << u"version"_s << json << QUrl();
        QTest::newRow("server error")
            << QByteArray("oops") << 500 << u"update_error_title"_s << QString() << json << QUrl();
        QTest::newRow("oversized feed")
            << QByteArray() << ok << u"update_error_title"_s << QString() << feed(u"/huge.json"_s) << QUrl();
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        QTest::newRow("unreachable feed")
            << QByteArray() << ok << u"update_error_title"_s << QString()
            << QUrl(u"http://127.0.0.1:%1/feed.json"_s.arg(closed.serverPort())) << QUrl();
    }

    void answersTheFeed()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, title);
        QFETCH(QString, messagePart);
        QFETCH(QUrl, address);
        QFETCH(QUrl, download);
        m_body = body;
        m_status = QHttpServerResponder::StatusCode(status);
        UpdaterManager::shared().setFeedUrl(address);

        Alert alert;
        QVERIFY(check(&alert));
        QCOMPARE(alert.title, qtTrId(title.toUtf8().constData()));
        QVERIFY(!alert.message.isEmpty());
        QVERIFY2(alert.message.contains(messagePart), qPrintable(alert.message));
        if (!download.isEmpty()) {
            m_opened.clear();
            m_alerts.choose(qtTrId("update_download_button"));
            QCOMPARE(m_opened, QList<QUrl>{download});
        }
    }

    void automaticChecksFollowTheSettingAndSpeakOnlyOfNews()
    {
        m_body = "{\"version\": \"1.4.0\"}";
        m_status = QHttpServerResponder::StatusCode::Ok;
        UpdaterManager& updater = UpdaterManager::shared();
        updater.setFeedUrl(feed());
        // Switched off: two checks by hand, each a full round trip while the 50 ms timer would
        // have run several times, make exactly two requests.
        const int requests = m_requests;
        Alert alert;
        QVERIFY(check(&alert));
        QVERIFY(check(&alert));
        QCOMPARE(m_requests, requests + 2);

        const qsizetype alerts = m_alerts.shown.size();
        QSignalSpy finished(&updater, &UpdaterManager::checkFinished);
        Settings::shared().setValue(QString(SettingsKey::checkUpdatesAutomatically), true);
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 3, 10000);
        QCOMPARE(m_alerts.shown.size(), alerts); // nothing new, nothing said

        m_body = "{\"version\": \"9.0\"}";
        // Every automatic check now has news, and a slow run may fit several in one poll.
        QTRY_VERIFY_WITH_TIMEOUT(m_alerts.shown.size() > alerts, 10000);
        Settings::shared().setValue(QString(SettingsKey::checkUpdatesAutomatically), false);
        QCOMPARE(m_alerts.shown.last().title, qtTrId("update_available_title"));
    }
};

OVELIN_TEST_MAIN(UpdaterManagerTest)
#include "tst_updatermanager.moc"
