#include <optional>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

#include "../activation/FakePanelPresenter.h"
#include "activation/HotkeyManager.h"
#include "platform/wayland/PortalShortcutService.h"
#include "support/PrintedLines.h"
#include "support/PrivateBus.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

namespace {

const QString portal = u"org.freedesktop.portal.Desktop"_s;
const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
constexpr int patience = 15000;

} // namespace

Q_DECLARE_METATYPE(std::optional<int>)

// The shortcut registered with a fake desktop portal (python-dbusmock) on a private session bus.
class PortalShortcutsTest : public QObject
{
    Q_OBJECT
    ovelin::test::PrivateBus m_busDaemon;
    QProcess m_portal;
    QString m_address;

    QDBusConnection bus() const { return QDBusConnection(u"fake-portal-bus"_s); }

    QStringList recorded() const
    {
        const QDBusReply<QStringList> reply = bus().call(
            QDBusMessage::createMethodCall(portal, portalPath, u"org.ovelin.FakePortal"_s, u"Recorded"_s));
        return reply.value();
    }

    void callFake(const QString& method, const QString& argument)
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(portal, portalPath, u"org.ovelin.FakePortal"_s, method);
        call << argument;
        const QDBusMessage reply = bus().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    void stopPortal()
    {
        if (m_portal.state() != QProcess::NotRunning) {
            m_portal.kill();
            m_portal.waitForFinished(patience);
            QTRY_VERIFY_WITH_TIMEOUT(!bus().interface()->isServiceRegistered(portal).value(), patience);
        }
    }

    // A fake portal of the given interface version (none: without the interface); the previous
    // one goes first.
    void startPortal(std::optional<int> version)
    {
        stopPortal();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
        m_portal.setProcessEnvironment(environment);
        // Not on the test's own output: a crashed test must not leave ctest waiting for the pipe.
        m_portal.setStandardOutputFile(QProcess::nullDevice());
        m_portal.setStandardErrorFile(QProcess::nullDevice());
        m_portal.start(u"/usr/bin/python3"_s,
                       {u"-m"_s, u"dbusmock"_s, u"--template"_s, QStringLiteral(FAKE_PORTAL),
                        u"--parameters"_s,
                        version ? u"{\"version\": %1}"_s.arg(*version) : u"{\"shortcuts\": false}"_s});
        QTRY_VERIFY_WITH_TIMEOUT(bus().interface()->isServiceRegistered(portal).value(), patience);
        callFake(u"SetClient"_s, bus().baseService());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QProcess probe;
        probe.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import dbusmock"_s});
        if (!probe.waitForFinished(patience) || probe.exitCode() != 0)
            QSKIP("python3-dbusmock is not installed");
        // Its own configuration: the machine's session one would activate an installed portal.
        m_address = m_busDaemon.start();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon did not start");
        QVERIFY(QDBusConnection::connectToBus(m_address, u"fake-portal-bus"_s).isConnected());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(u"fake-portal-bus"_s);
        m_portal.kill();
        m_portal.waitForFinished(patience);
    }

    // The stored shortcut's trigger reaches the portal, its Activated signal toggles the panel, and
    // a new shortcut replaces the session of the old one.
    void registersAndTogglesThroughThePortal()
    {
        startPortal(1);
        QVERIFY(PortalShortcutService::isOffered(bus()));
        PortalShortcutService service(bus());
        FakePanelPresenter presenter;
        ovelin::test::PrintedLines lines;
        HotkeyManager& manager = HotkeyManager::shared();
        manager.setPresenter(&presenter);
        manager.setShortcutService(&service);
        manager.registerShortcut(u"⌃⌘V"_s);

        const QString session =
            portalPath + u"/session/"_s + bus().baseService().mid(1).replace(u'.', u'_') + u"/ovelin1"_s;
        QTRY_COMPARE_WITH_TIMEOUT(
            recorded(),
            QStringList({u"CreateSession handle_token=ovelin1 session_handle_token=ovelin1"_s,
                         u"BindShortcuts %1 toggle-panel description=Show or hide the clipboard history "
                         "preferred_trigger=CTRL+LOGO+v"_s.arg(session)}),
            patience);
        QTRY_COMPARE_WITH_TIMEOUT(service.state(), GlobalShortcutService::State::Registered, patience);

        // Another id first: the count after the second signal shows the first did nothing.
        callFake(u"Activate"_s, u"something-else"_s);
        callFake(u"Activate"_s, PortalShortcutService::shortcutId);
        QTRY_COMPARE_WITH_TIMEOUT(presenter.toggles, QStringList{u"shortcut"_s}, patience);
        QCOMPARE(lines.count(u"⚡️ Atalho pressionado: ⌃⌘V"_s), 1);

        manager.registerShortcut(u"⌥⇧⌘K"_s);
        QTRY_COMPARE_WITH_TIMEOUT(recorded().size(), 5, patience);
        QCOMPARE(recorded().at(2), u"Close "_s + session);
        QVERIFY(recorded().at(4).endsWith(u"preferred_trigger=ALT+SHIFT+LOGO+k"_s));
        QCOMPARE(lines.count(u"⚠️"_s), 0);

        manager.registerShortcut(u"⌃⌘v"_s);
        QTRY_COMPARE_WITH_TIMEOUT(recorded().size(), 6, patience);
        QVERIFY(recorded().last().startsWith(u"Close "_s));
        manager.setShortcutService(nullptr);
        manager.setPresenter(nullptr);
    }

    // A portal that answers on its name without the interface is not taken for one that binds.
    // Last, as the bus may start another portal when none runs.
    void portalWithoutGlobalShortcutsIsReported_data()
    {
        QTest::addColumn<std::optional<int>>("version");
        QTest::newRow("interface version 0") << std::optional<int>(0);
        QTest::newRow("no GlobalShortcuts interface") << std::optional<int>();
    }
    void portalWithoutGlobalShortcutsIsReported()
    {
        QFETCH(std::optional<int>, version);
        startPortal(version);
        QVERIFY(!PortalShortcutService::isOffered(bus()));
        PortalShortcutService service(bus());
        ovelin::test::PrintedLines lines;
        service.bind({QChar(u'V'), true, false, false, true}, [] {});
        QTRY_COMPARE_WITH_TIMEOUT(lines.count(u"⚠️ Atalho não registrado no portal: "_s), 1, patience);
        QCOMPARE(service.state(), GlobalShortcutService::State::Refused);
        QCOMPARE(recorded(), QStringList());
    }
};

OVELIN_TEST_GUILESS_MAIN(PortalShortcutsTest)
#include "tst_portalshortcuts.moc"
