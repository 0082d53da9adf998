#include <cstring>

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "activation/HotkeyManager.h"
#include "platform/wayland/SwayIpcClient.h"
#include "platform/wayland/SwayPanelPlacement.h"
#include "platform/wayland/SwayShortcutService.h"
#include "support/PrintedLines.h"
#include "support/ScopedEnvironment.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 15000;

// A stand-in for sway's IPC socket: answers get_config with `config` and every command with
// success, and keeps the commands it was sent.
struct FakeSway
{
    explicit FakeSway(const QString& config)
    {
        server.listen(folder.filePath(u"sway-ipc.sock"_s));
        QObject::connect(&server, &QLocalServer::newConnection, &server, [this, config] {
            QLocalSocket* peer = server.nextPendingConnection();
            QObject::connect(peer, &QLocalSocket::readyRead, peer, [this, peer, config] {
                incoming += peer->readAll();
                quint32 length, type; // after the 6-byte magic
                while (incoming.size() >= 14 && (std::memcpy(&length, incoming.constData() + 6, 4),
                                                 incoming.size() >= 14 + qsizetype(length))) {
                    std::memcpy(&type, incoming.constData() + 10, 4);
                    QByteArray reply = "{\"success\": true}";
                    if (type == SwayIpcClient::GetConfig)
                        reply = QJsonDocument(QJsonObject{{u"config"_s, config}}).toJson();
                    else if (type == SwayIpcClient::RunCommand) {
                        reply = "[" + reply + "]";
                        commands << QString::fromUtf8(incoming.mid(14, length));
                    }
                    incoming.remove(0, 14 + length);
                    peer->write(SwayIpcClient::frame(type, reply));
                }
            });
        });
    }
    QTemporaryDir folder;
    QLocalServer server;
    QStringList commands;
    QByteArray incoming;
};

} // namespace


#define REQUIRE_SWAY()                                                                                       \
    if (!m_sway)                                                                                             \
    QSKIP("needs the headless sway of scripts/wlsession.sh (WAYLAND_DISPLAY and SWAYSOCK)")

// The shortcut and the panel's placement through sway's IPC; the sway cases need the headless
// compositor of scripts/wlsession.sh.
class SwayShortcutsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<SwayIpcClient> m_sway;

    // The errors of a sway command: empty when it succeeded.
    QStringList errorsOf(const QString& command)
    {
        std::optional<std::optional<QStringList>> answer;
        m_sway->runCommand(command, [&answer](const std::optional<QStringList>& errors) { answer = errors; });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), patience); }();
        return answer && *answer ? **answer : QStringList{u"no answer"_s};
    }

    // This process's windows titled "Ovelin" in sway's tree, sorted: "tiled", or "floating WxH";
    // none when sway did not answer.
    QStringList ovelinNodes()
    {
        std::optional<QByteArray> tree;
        bool answered = false;
        m_sway->send(SwayIpcClient::GetTree, {}, [&](const std::optional<QByteArray>& reply) {
            tree = reply;
            answered = true;
        });
        if (!QTest::qWaitFor([&] { return answered; }, patience) || !tree)
            return {};
        QStringList found;
        QList<QJsonObject> nodes{QJsonDocument::fromJson(*tree).object()};
        while (!nodes.isEmpty()) {
            const QJsonObject node = nodes.takeLast();
            const QJsonObject rect = node.value(u"rect"_s).toObject();
            if (node.value(u"pid"_s).toInteger() == QCoreApplication::applicationPid() &&
                node.value(u"name"_s).toString() == u"Ovelin"_s)
                found << (node.value(u"type"_s).toString() != u"floating_con"_s
                              ? u"tiled"_s
                              : u"floating %1x%2"_s.arg(rect.value(u"width"_s).toInt()).arg(rect.value(u"height"_s).toInt()));
            for (const auto* key : {"nodes", "floating_nodes"}) {
                for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
                    nodes.append(child.toObject());
            }
        }
        found.sort();
        return found;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString socket = SwayIpcClient::socketPathFromEnvironment();
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !socket.isEmpty())
            m_sway = std::make_unique<SwayIpcClient>(socket);
    }

    // Values sway's parser would change are refused rather than bound to some other command (a
    // data folder with spaces, commas and semicolons is bound and run by tst_wayland_app).
    void toggleCommandRefusesWhatSwayWouldRewrite_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("dataHome");
        for (const QString& bad : {u"'"_s, u"\""_s, u"\\"_s, u"$HOME"_s, u"\n"_s}) {
            QTest::addRow("executable with %s", qPrintable(bad)) << u"/opt/x"_s + bad << u"/d"_s;
            QTest::addRow("data home with %s", qPrintable(bad)) << u"/opt/x"_s << u"/d"_s + bad;
        }
    }
    void toggleCommandRefusesWhatSwayWouldRewrite()
    {
        QFETCH(QString, executable);
        QFETCH(QString, dataHome);
        const ovelin::test::ScopedEnvironment environment{{"XDG_DATA_HOME", dataHome.toUtf8()}};
        QCOMPARE(SwayShortcutService::toggleCommand(executable), std::nullopt);
    }

    // How sway reads its configuration: variables, any order and name of the modifiers, case of
    // the key; bindings of other modes and with flags that make another binding do not count.
    void configurationBindingsAreFound_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("binds");
        const QString mod = u"set $mod Mod4\nset $mod1 Mod1\n"_s;
        QTest::newRow("as Ovelin writes it") << u"bindsym Ctrl+Mod4+v exec clipman pick"_s << true;
        QTest::newRow("variable, other order and names")
            << mod + u"  bindsym --no-repeat $mod+Control+V exec x"_s << true;
        QTest::newRow("longest variable name wins") << mod + u"bindsym $mod1+Ctrl+v exec x"_s << false;
        QTest::newRow("block of bindings")
            << mod + u"bindsym --to-code {\n  $mod+b exec b\n  Ctrl+$mod+v exec x\n}"_s << true;
        QTest::newRow("continued line") << u"bindsym \\\n  Ctrl+Mod4+v exec x"_s << true;
        QTest::newRow("other key or modifiers")
            << u"bindsym Ctrl+Mod4+b exec x\nbindsym Ctrl+Shift+Mod4+v exec x\nbindsym Mod4+v exec x"_s
            << false;
        QTest::newRow("commented out") << u"# bindsym Ctrl+Mod4+v exec x"_s << false;
        QTest::newRow("other mode") << u"mode \"resize\" {\n    bindsym Ctrl+Mod4+v mode default\n}"_s
                                    << false;
        QTest::newRow("on release") << u"bindsym --release Ctrl+Mod4+v exec x"_s << false;
        QTest::newRow("after a block")
            << u"bar {\n  status_command date\n}\nbindsym Ctrl+Mod4+v exec x"_s << true;
    }
    void configurationBindingsAreFound()
    {
        QFETCH(QString, config);
        QFETCH(bool, binds);
        QCOMPARE(SwayShortcutService::configBinds(config, u"Ctrl+Mod4+v"_s), binds);
    }

    // Keys the user bound in sway's configuration are neither replaced nor, at quit, unbound (free
    // keys are bound and unbound on the real sway: rebindingAndReloadingKeepOneBinding).
    void keysOfTheConfigurationAreLeftToIt()
    {
        FakeSway sway(u"set $mod Mod4\nbindsym $mod+Ctrl+v exec clipman pick"_s);
        SwayIpcClient client(sway.server.fullServerName());
        SwayShortcutService service(&client);
        ovelin::test::PrintedLines lines;
        service.bind({QChar(u'V'), true, false, false, true}, [] {});
        QTRY_VERIFY_WITH_TIMEOUT(service.state() != GlobalShortcutService::State::Waiting, patience);
        QCOMPARE(service.state(), GlobalShortcutService::State::KeysTaken);
        service.unbind();
        client.runCommand(u"nop sentinel"_s);
        QTRY_VERIFY_WITH_TIMEOUT(sway.commands.contains(u"nop sentinel"_s), patience);
        QCOMPARE(sway.commands, QStringList{u"nop sentinel"_s});
        QCOMPARE(lines.lines(), QStringList{u"⚠️ Atalho não registrado no sway: Ctrl+Mod4+v já está associado na "
                                            "configuração do sway"_s});
    }

    // Without SWAYSOCK (a user service, D-Bus activation), sway's socket is looked for in the
    // runtime folder when the desktop is sway; one whose sway is gone is passed over.
    void swaySocketIsFoundWithoutSwaysock_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("found");
        QTest::newRow("sway") << u"sway"_s << true << true;
        QTest::newRow("sway among others") << u"sway:wlroots"_s << true << true;
        QTest::newRow("another desktop") << u"GNOME"_s << true << false;
        QTest::newRow("sway gone") << u"sway"_s << false << false;
    }
    void swaySocketIsFoundWithoutSwaysock()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, live);
        QFETCH(bool, found);
        QTemporaryDir runtime;
        // A process id above the kernel's limit is never running.
        const qint64 pid = live ? QCoreApplication::applicationPid() : 4194305;
        QLocalServer socket;
        QVERIFY(socket.listen(runtime.filePath(u"sway-ipc.%1.%2.sock"_s.arg(getuid()).arg(pid))));
        QLocalServer other; // another user's
        QVERIFY(other.listen(runtime.filePath(u"sway-ipc.%1.%2.sock"_s.arg(getuid() + 1).arg(pid))));
        ovelin::test::ScopedEnvironment environment{{"XDG_RUNTIME_DIR", runtime.path().toUtf8()},
                                                    {"XDG_CURRENT_DESKTOP", desktop.toUtf8()}};
        for (const char* name : {"SWAYSOCK", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"})
            environment.set(name, {});
        QCOMPARE(SwayIpcClient::socketPathFromEnvironment(), found ? socket.fullServerName() : QString());
        environment.set("SWAYSOCK", socket.fullServerName().toUtf8());
        QCOMPARE(SwayIpcClient::socketPathFromEnvironment(), socket.fullServerName());
    }

    void requestsFailWithoutAnswer_data()
    {
        QTest::addColumn<QString>("server"); // what the socket does with the request
        QTest::newRow("no socket") << u"absent"_s;
        QTest::newRow("no answer within the time-out") << u"silent"_s;
        QTest::newRow("not i3-ipc") << u"garbage"_s;
    }
    void requestsFailWithoutAnswer()
    {
        QFETCH(QString, server);
        QTemporaryDir folder;
        QLocalServer local;
        const QString path = folder.filePath(u"ipc.sock"_s);
        if (server != u"absent")
            QVERIFY(local.listen(path));
        connect(&local, &QLocalServer::newConnection, &local, [&local, server] {
            QLocalSocket* peer = local.nextPendingConnection();
            connect(peer, &QLocalSocket::readyRead, peer, [peer, server] {
                peer->readAll();
                if (server == u"garbage")
                    peer->write(QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n"));
            });
        });
        SwayIpcClient client(path);
        client.setTimeout(300);
        std::vector<std::optional<QStringList>> answers;
        for (int i = 0; i < 2; ++i)
            client.runCommand(u"nop"_s, [&answers](const std::optional<QStringList>& errors) {
                answers.push_back(errors);
            });
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), size_t(2), patience);
        QVERIFY(!answers[0] && !answers[1]);
        QVERIFY(!client.runCommandNow(u"nop"_s));
    }

    // A new shortcut releases the old combination, and a reload of sway's configuration does not
    // lose it (a probe: unbindsym succeeds only for a bound combination). That quitting releases it
    // is tst_wayland_app's.
    void rebindingAndReloadingKeepOneBinding()
    {
        REQUIRE_SWAY();
        SwayShortcutService service(m_sway.get());
        ovelin::test::PrintedLines lines;
        HotkeyManager& manager = HotkeyManager::shared();
        manager.setShortcutService(&service);
        manager.registerShortcut(u"⌃⌘V"_s);
        manager.registerShortcut(u"⌃⌥⇧⌘K"_s);
        QCOMPARE(errorsOf(u"unbindsym --no-repeat Ctrl+Mod4+v"_s).size(), 1);
        QCOMPARE(errorsOf(u"unbindsym --no-repeat Ctrl+Mod1+Shift+Mod4+k"_s), QStringList());

        manager.registerShortcut(u"⌃⌘V"_s);
        // Reloading sway's configuration drops the binding; Ovelin makes it again (a failing
        // probe changes nothing, so it may be repeated until the binding is back).
        QCOMPARE(errorsOf(u"reload"_s), QStringList());
        QVERIFY(QTest::qWaitFor([&] { return errorsOf(u"unbindsym --no-repeat Ctrl+Mod4+v"_s).isEmpty(); },
                                patience));
        manager.setShortcutService(nullptr);
        QCOMPARE(lines.lines(), QStringList());
    }

    // The panel floats at its own size (where sway puts it: tst_wayland_app) and learns that
    // it lost the focus; the help viewer, a window of the same title, is left alone.
    void panelFloatsAndLosesTheFocus()
    {
        REQUIRE_SWAY();
        QWidget helpViewer;
        helpViewer.setWindowTitle(u"Ovelin"_s);
        helpViewer.show();
        QTRY_COMPARE_WITH_TIMEOUT(ovelinNodes(), QStringList{u"tiled"_s}, patience);
        QWidget panel;
        panel.setWindowTitle(u"Ovelin"_s);
        // As the real panel: its fixed width makes sway map it floating, at its own size.
        panel.setMinimumSize(400, 360);
        panel.setMaximumSize(400, QWIDGETSIZE_MAX);
        panel.resize(400, 600);
        panel.show();
        SwayPanelPlacement placement(m_sway.get());
        placement.place();
        QTRY_COMPARE_WITH_TIMEOUT(ovelinNodes(), (QStringList{u"floating 400x600"_s, u"tiled"_s}), patience);
        // The panel hides when it loses the focus: Qt must learn of it from the compositor.
        QTRY_VERIFY_WITH_TIMEOUT(panel.isActiveWindow(), patience);
        QCOMPARE(errorsOf(u"[pid=%1 tiling] focus"_s.arg(QCoreApplication::applicationPid())), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(!panel.isActiveWindow(), patience);
        panel.hide();
        QTRY_COMPARE_WITH_TIMEOUT(ovelinNodes(), QStringList{u"tiled"_s}, patience);
    }
};

OVELIN_TEST_MAIN(SwayShortcutsTest)
#include "tst_swayshortcuts.moc"
