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
        // XDG_SESSION_TYPE, WAYLAND_DISPLAY, OVELIN_PLATFORM, QT_QPA_PLATFORM (empty: unset), then the
        // backend chosen, the Qt plugin set (empty: the user's is kept) and whether a warning is given.
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("pluginSet");
        QTest::addColumn<bool>("warns");
        const auto row = [](const char* tag, const QString& variables, const QString& backend,
                            const QString& plugin, bool warns = false) {
            QTest::newRow(tag) << variables.split(u'|') << backend << plugin << warns;
        };
        row("x11 session", u"x11|||"_s, u"x11"_s, u"xcb"_s);
        row("wayland session", u"wayland|wayland-0||"_s, u"wayland"_s, u"wayland"_s);
        row("session type in capitals", u"Wayland|wayland-0||"_s, u"wayland"_s, u"wayland"_s);
        row("socket without wayland session", u"x11|wayland-0||"_s, u"x11"_s, u"xcb"_s);
        row("wayland session without socket", u"wayland|||"_s, u"x11"_s, u"xcb"_s);
        row("forced x11 under wayland (XWayland)", u"wayland|wayland-0|x11|"_s, u"x11"_s, u"xcb"_s);
        row("forced wayland in x11 session", u"x11|wayland-0|WAYLAND|"_s, u"wayland"_s, u"wayland"_s);
        row("unknown value warns, then chooses", u"wayland|wayland-0|mir|"_s, u"wayland"_s, u"wayland"_s,
            true);
        row("user's xcb plugin decides", u"wayland|wayland-0||xcb"_s, u"x11"_s, QString());
        row("user's plugin list: first one decides", u"x11|||wayland-egl;xcb"_s, u"wayland"_s, QString());
        row("offscreen plugin stays, session decides", u"wayland|wayland-0||offscreen"_s, u"wayland"_s,
            QString());
        row("forced backend overrides the other server's plugin", u"wayland|wayland-0|x11|wayland"_s,
            u"x11"_s, u"xcb"_s);
    }

    void environmentPicksTheBackendAndQtPlugin()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, backend);
        QFETCH(QString, pluginSet);
        QFETCH(bool, warns);
        QProcessEnvironment variables;
        const QStringList names{u"XDG_SESSION_TYPE"_s, u"WAYLAND_DISPLAY"_s, u"OVELIN_PLATFORM"_s,
                                u"QT_QPA_PLATFORM"_s};
        for (int i = 0; i < names.size(); ++i) {
            if (!environment.at(i).isEmpty())
                variables.insert(names.at(i), environment.at(i));
        }

        const BackendChoice choice = BackendChoice::fromEnvironment(variables);
        QCOMPARE(choice.backend == BackendChoice::Backend::Wayland ? u"wayland"_s : u"x11"_s, backend);
        QCOMPARE(QString::fromLatin1(choice.qpaPlatform), pluginSet);
        QCOMPARE(!choice.warning.isEmpty(), warns);
        if (warns)
            QVERIFY(choice.warning.contains(environment.at(2)));
    }

    void startLineNamesEachCapability_data()
    {
        QTest::addColumn<QStringList>("globals");
        QTest::addColumn<bool>("swaySocket");
        QTest::addColumn<bool>("portal");
        QTest::addColumn<ShortcutState>("binding");
        QTest::addColumn<QString>("line");
        // What sway and a Weston offer is checked against the real ones by tst_wayland_app.
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
            << kwin + QStringList{u"org_kde_kwin_fake_input"_s, u"org_kde_plasma_window_management"_s}
            << false << false << ShortcutState::Registered
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, colar "
               u"✅ via "
               "fake input do KWin, app em frente ✅ via plasma window management, atalho ✅ via serviço de "
               "atalhos do KDE, posição do painel ✅ via plasma shell, sacudida do mouse ❌ indisponível no Wayland"_s;
        QTest::newRow("KWin, run from the build folder, shortcut not answered yet")
            << kwin << false << false << ShortcutState::Waiting
            << u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, colar "
               u"❌ sem "
               "fake input (entrada .desktop), app em frente ❌ sem plasma window management (entrada "
               ".desktop), "
               "atalho ❌ aguardando o serviço de atalhos do KDE, posição do painel ✅ via plasma shell, "
               "sacudida do mouse ❌ indisponível no Wayland"_s;
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

    // KWin withdrawing its fake input after the start turns the paste row red.
    void withdrawnFakeInputIsMissing()
    {
        bool offered = true;
        WaylandCapabilityService service({true, true, false, false, false, false, false},
                                         {u"org_kde_kwin_fake_input"_s}, false, false);
        service.setPasteStillOffered([&offered] { return offered; });
        QVERIFY(service.canSynthesizeInput());
        offered = false;
        QVERIFY(!service.canSynthesizeInput());
        QVERIFY(!service.sessionCapabilities().at(1).found);
    }
};

OVELIN_TEST_GUILESS_MAIN(BackendChoiceTest)
#include "tst_backendchoice.moc"
