#include <QTest>

#include "TestMain.h"
#include "platform/BackendChoice.h"
#include "platform/GlobalShortcutService.h"
#include "platform/wayland/WaylandCapabilityService.h"

using namespace Qt::StringLiterals;
using ShortcutState = GlobalShortcutService::State;
Q_DECLARE_METATYPE(ShortcutState)

namespace {

// A shortcut service whose binding came to `state`.
struct ShortcutsIn : GlobalShortcutService
{
    ShortcutState answer;
    explicit ShortcutsIn(ShortcutState state) : answer(state) {}
    void bind(const Combination&, std::function<void()>) override {}
    void unbind() override {}
    State state() const override { return answer; }
};

} // namespace

// Which backend a start runs on, and the start line that reports what the session offers.
class BackendChoiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void environmentPicksTheBackendAndQtPlugin_data()
    {
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("pluginSet");
        QTest::addColumn<bool>("warns");
        QTest::newRow("x11 session") << u"x11"_s << u""_s << u""_s << u""_s << u"x11"_s << u"xcb"_s << false;
        QTest::newRow("nothing known") << u""_s << u""_s << u""_s << u""_s << u"x11"_s << u"xcb"_s << false;
        QTest::newRow("wayland session")
            << u"wayland"_s << u"wayland-0"_s << u""_s << u""_s << u"wayland"_s << u"wayland"_s << false;
        QTest::newRow("session type in capitals")
            << u"Wayland"_s << u"wayland-0"_s << u""_s << u""_s << u"wayland"_s << u"wayland"_s << false;
        QTest::newRow("socket without wayland session")
            << u"x11"_s << u"wayland-0"_s << u""_s << u""_s << u"x11"_s << u"xcb"_s << false;
        QTest::newRow("wayland session without socket")
            << u"wayland"_s << u""_s << u""_s << u""_s << u"x11"_s << u"xcb"_s << false;
        QTest::newRow("forced x11 under wayland (XWayland)")
            << u"wayland"_s << u"wayland-0"_s << u"x11"_s << u""_s << u"x11"_s << u"xcb"_s << false;
        QTest::newRow("forced wayland in x11 session")
            << u"x11"_s << u"wayland-0"_s << u"WAYLAND"_s << u""_s << u"wayland"_s << u"wayland"_s << false;
        QTest::newRow("unknown value warns, then chooses")
            << u"wayland"_s << u"wayland-0"_s << u"mir"_s << u""_s << u"wayland"_s << u"wayland"_s << true;
        QTest::newRow("user's xcb plugin decides")
            << u"wayland"_s << u"wayland-0"_s << u""_s << u"xcb"_s << u"x11"_s << u""_s << false;
        QTest::newRow("user's plugin list: first one decides")
            << u"x11"_s << u""_s << u""_s << u"wayland-egl;xcb"_s << u"wayland"_s << u""_s << false;
        QTest::newRow("offscreen plugin stays, session decides")
            << u"wayland"_s << u"wayland-0"_s << u""_s << u"offscreen"_s << u"wayland"_s << u""_s << false;
        QTest::newRow("forced backend overrides the other server's plugin")
            << u"wayland"_s << u"wayland-0"_s << u"x11"_s << u"wayland"_s << u"x11"_s << u"xcb"_s << false;
    }

    void environmentPicksTheBackendAndQtPlugin()
    {
        QFETCH(QString, sessionType);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, forced);
        QFETCH(QString, plugin);
        QFETCH(QString, backend);
        QFETCH(QString, pluginSet);
        QFETCH(bool, warns);
        QProcessEnvironment environment;
        const auto set = [&environment](const QString& name, const QString& value) {
            if (!value.isEmpty())
                environment.insert(name, value);
        };
        set(u"XDG_SESSION_TYPE"_s, sessionType);
        set(u"WAYLAND_DISPLAY"_s, waylandDisplay);
        set(u"OVELIN_PLATFORM"_s, forced);
        set(u"QT_QPA_PLATFORM"_s, plugin);

        const BackendChoice choice = BackendChoice::fromEnvironment(environment);
        QCOMPARE(choice.backend == BackendChoice::Backend::Wayland ? u"wayland"_s : u"x11"_s, backend);
        QCOMPARE(QString::fromLatin1(choice.qpaPlatform), pluginSet);
        QCOMPARE(!choice.warning.isEmpty(), warns);
        if (warns)
            QVERIFY(choice.warning.contains(forced));
    }

    void startLineNamesEachCapability_data()
    {
        QTest::addColumn<QStringList>("globals");
        QTest::addColumn<bool>("swaySocket");
        QTest::addColumn<bool>("portal");
        QTest::addColumn<ShortcutState>("binding");
        QTest::addColumn<QString>("line");
        const QStringList wlroots{u"wl_seat"_s, u"zwlr_data_control_manager_v1"_s,
                                  u"zwp_virtual_keyboard_manager_v1"_s,
                                  u"zwlr_foreign_toplevel_manager_v1"_s};
        QTest::newRow("sway")
            << wlroots << true << false << ShortcutState::Waiting
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, "
               "colar ✅ via teclado virtual, app em frente ✅ via foreign toplevel, atalho ✅ via "
               "IPC do sway, posição do painel ✅ via IPC do sway, sacudida do mouse ❌ "
               "indisponível no Wayland"_s;
        QTest::newRow("ext data-control preferred, portal shortcut")
            << QStringList{u"zwlr_data_control_manager_v1"_s, u"ext_data_control_manager_v1"_s} << false
            << true << ShortcutState::Registered
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via ext_data_control_manager_v1, "
               u"colar "
               u"❌ sem "
               "teclado virtual, app em frente ❌ sem foreign toplevel, atalho ✅ via portal GlobalShortcuts, "
               "posição do painel ❌ centralizado, sacudida do mouse ❌ indisponível no Wayland"_s;
        const QString noClipboard =
            u"🖥️ Plataforma Wayland: área de transferência ❌ sem data-control, colar ❌ sem "
            "teclado virtual, app em frente ❌ sem foreign toplevel, "_s;
        const QString noPlacement =
            u", posição do painel ❌ centralizado, sacudida do mouse ❌ indisponível no Wayland"_s;
        QTest::newRow("portal refused the binding")
            << QStringList() << false << true << ShortcutState::Refused
            << noClipboard + u"atalho ❌ nenhum (associe ovelin --toggle nas teclas do ambiente)"_s +
                   noPlacement;
        QTest::newRow("sway's configuration has the keys")
            << QStringList() << true << false << ShortcutState::KeysTaken
            << noClipboard +
                   u"atalho ❌ teclas já associadas no ambiente, posição do painel ✅ via IPC do sway, "
                   "sacudida do mouse ❌ indisponível no Wayland"_s;
        // KWin offers its fake input and window list only to the executable its entry names.
        const QStringList kwin{u"zwlr_data_control_manager_v1"_s, u"org_kde_plasma_shell"_s};
        QTest::newRow("KWin, Ovelin's desktop entry installed")
            << kwin + QStringList{u"org_kde_kwin_fake_input"_s, u"org_kde_plasma_window_management"_s} << false
            << false << ShortcutState::Registered
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, colar ✅ via "
               "fake input do KWin, app em frente ✅ via plasma window management, atalho ✅ via serviço de "
               "atalhos do KDE, posição do painel ✅ via plasma shell, sacudida do mouse ❌ indisponível no Wayland"_s;
        QTest::newRow("KWin, run from the build folder, shortcut not answered yet")
            << kwin << false << false << ShortcutState::Waiting
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, colar ❌ sem "
               "fake input (entrada .desktop), app em frente ❌ sem plasma window management (entrada .desktop), "
               "atalho ❌ aguardando o serviço de atalhos do KDE, posição do painel ✅ via plasma shell, "
               "sacudida do mouse ❌ indisponível no Wayland"_s;
        QTest::newRow("weston")
            << QStringList{u"wl_seat"_s, u"wl_data_device_manager"_s} << false << false
            << ShortcutState::Waiting
            << u"🖥️ Plataforma Wayland: área de transferência ❌ sem data-control, colar ❌ sem "
               "teclado virtual, app em frente ❌ sem foreign toplevel, atalho ❌ nenhum "
               "(associe ovelin --toggle nas teclas do ambiente), posição do painel ❌ "
               "centralizado, sacudida do mouse ❌ indisponível no Wayland"_s;
    }

    void startLineNamesEachCapability()
    {
        QFETCH(QStringList, globals);
        QFETCH(bool, swaySocket);
        QFETCH(bool, portal);
        QFETCH(ShortcutState, binding);
        QFETCH(QString, line);
        WaylandCapabilityService::Built everything{true, true, true, true, true};
        everything.kdeShortcuts = everything.plasmaShell =
            !swaySocket && !portal && globals.contains(u"org_kde_plasma_shell"_s);
        WaylandCapabilityService service(everything, QSet<QString>(globals.cbegin(), globals.cend()),
                                         swaySocket, portal);
        const ShortcutsIn shortcuts(binding);
        service.setShortcutService(&shortcuts);
        QCOMPARE(CapabilityService::startLine(u"Wayland"_s, service.sessionCapabilities()), line);
        for (const SessionCapability& capability : service.sessionCapabilities())
            QCOMPARE(capability.taken, binding == ShortcutState::KeysTaken &&
                                           capability.kind == SessionCapability::Kind::Shortcut);
        QCOMPARE(service.canSynthesizeInput(), globals.contains(u"zwp_virtual_keyboard_manager_v1"_s) ||
                                                   globals.contains(u"org_kde_kwin_fake_input"_s));
        QVERIFY(!service.offersGlobalPointer());
    }

    void capabilityOfferedButNotBuiltIsMissing()
    {
        const WaylandCapabilityService service({}, {u"zwlr_data_control_manager_v1"_s}, true, true);
        QCOMPARE(service.clipboardProtocol(), QString());
        for (const SessionCapability& capability : service.sessionCapabilities())
            QVERIFY(!capability.found);
    }
};

OVELIN_TEST_GUILESS_MAIN(BackendChoiceTest)
#include "tst_backendchoice.moc"
