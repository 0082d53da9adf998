#include "platform/wayland/WaylandCapabilityService.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <wayland-client.h>

#include "platform/GlobalShortcutService.h"
#include "platform/wayland/SwayIpcClient.h"

namespace {

const QString extDataControl = QStringLiteral("ext_data_control_manager_v1");
const QString wlrDataControl = QStringLiteral("zwlr_data_control_manager_v1");
const QString virtualKeyboard = QStringLiteral("zwp_virtual_keyboard_manager_v1");
const QString foreignToplevel = QStringLiteral("zwlr_foreign_toplevel_manager_v1");
const QString fakeInput = QStringLiteral("org_kde_kwin_fake_input");
const QString plasmaWindows = QStringLiteral("org_kde_plasma_window_management");
// Offered to every client of KWin: tells KWin apart from the compositors of the wlroots family.
const QString plasmaShell = QStringLiteral("org_kde_plasma_shell");

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    static_cast<QSet<QString>*>(data)->insert(QString::fromLatin1(interface));
}

void onGlobalRemoved(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener registryListener{onGlobal, onGlobalRemoved};

bool swaySocketPresent()
{
    return !SwayIpcClient::socketPathFromEnvironment().isEmpty();
}

} // namespace

WaylandCapabilityService::WaylandCapabilityService(Built built)
    : WaylandCapabilityService(built, announcedGlobals(), swaySocketPresent(), built.portalShortcuts)
{
}

WaylandCapabilityService::WaylandCapabilityService(Built built, QSet<QString> globals, bool swaySocket,
                                                   bool portalShortcuts)
    : m_built(built), m_globals(std::move(globals)), m_swaySocket(swaySocket),
      m_portalShortcuts(portalShortcuts)
{
}

QSet<QString> WaylandCapabilityService::announcedGlobals()
{
    QSet<QString> globals;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return globals;
}

QString WaylandCapabilityService::clipboardProtocol() const
{
    if (!m_built.clipboard)
        return {};
    if (m_globals.contains(extDataControl))
        return extDataControl;
    if (m_globals.contains(wlrDataControl))
        return wlrDataControl;
    return {};
}

bool WaylandCapabilityService::canSynthesizeInput() const
{
    return m_built.paste && (!m_pasteStillOffered || m_pasteStillOffered()) &&
           (m_globals.contains(virtualKeyboard) || m_globals.contains(fakeInput));
}

QString WaylandCapabilityService::pasteHow(bool kwin) const
{
    if (canSynthesizeInput()) {
        return m_globals.contains(fakeInput) ? QStringLiteral("via fake input do KWin")
                                             : QStringLiteral("via teclado virtual");
    }
    // KWin offers its devices only to the executable its desktop entry names.
    return kwin ? QStringLiteral("sem fake input (entrada .desktop)") : QStringLiteral("sem teclado virtual");
}

bool WaylandCapabilityService::missesDesktopEntry() const
{
    return isKwin() && (!m_globals.contains(fakeInput) || !m_globals.contains(plasmaWindows));
}

bool WaylandCapabilityService::installDesktopEntry(QString* error) const
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    QSaveFile entry(folder + QStringLiteral("/app.ovelin.Ovelin.desktop"));
    const QByteArray executable = QCoreApplication::applicationFilePath().toUtf8();
    // KWin compares the first word of Exec, links resolved, with the client's executable.
    const QByteArray text =
        "[Desktop Entry]\nType=Application\nName=Ovelin\nIcon=app.ovelin.Ovelin\nExec=" + executable +
        "\nTerminal=false\nNoDisplay=false\nCategories=Utility;\n"
        "X-KDE-Wayland-Interfaces=" +
        fakeInput.toUtf8() + ',' + plasmaWindows.toUtf8() + '\n';
    if (!QDir().mkpath(folder) || !entry.open(QIODevice::WriteOnly) || entry.write(text) != text.size() ||
        !entry.commit()) {
        if (error)
            *error = entry.errorString();
        return false;
    }
    // KWin reads entries through KDE's service cache: Plasma 6 builds it with kbuildsycoca6.
    QString sycoca = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca6"));
    if (sycoca.isEmpty())
        sycoca = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca5"));
    if (!sycoca.isEmpty() && QProcess::execute(sycoca, {}) == 0)
        return true;
    if (error)
        *error = sycoca.isEmpty() ? QStringLiteral("kbuildsycoca5") : sycoca;
    return false;
}

bool WaylandCapabilityService::isKwin() const
{
    return m_globals.contains(plasmaShell);
}

QList<SessionCapability> WaylandCapabilityService::sessionCapabilities() const
{
    using Kind = SessionCapability::Kind;
    const QString clipboard = clipboardProtocol();
    using State = GlobalShortcutService::State;
    const bool sway = m_built.swayIpc && m_swaySocket;
    const bool portal = m_built.portalShortcuts && m_portalShortcuts;
    const bool kwin = m_globals.contains(plasmaShell);
    const bool kwinWindows = m_globals.contains(plasmaWindows);
    const bool frontmost =
        m_built.frontmostApplication && (m_globals.contains(foreignToplevel) || kwinWindows);
    const State state = m_shortcuts ? m_shortcuts->state() : State::Waiting;
    const bool taken = state == State::KeysTaken;
    const bool kde = m_built.kdeShortcuts;
    // Claimed only once the desktop holds it: a refusal prints its own line later.
    const bool shortcutFound =
        ((sway || portal) && state != State::Refused && !taken) || (kde && state == State::Registered);
    QString shortcut = QStringLiteral("nenhum (associe ovelin --toggle nas teclas do ambiente)");
    if (taken)
        shortcut = QStringLiteral("teclas já associadas no ambiente");
    else if (sway && shortcutFound)
        shortcut = QStringLiteral("via IPC do sway");
    else if (portal && shortcutFound)
        shortcut = QStringLiteral("via portal GlobalShortcuts");
    else if (kde && shortcutFound)
        shortcut = QStringLiteral("via serviço de atalhos do KDE");
    else if (kde && state == State::Waiting)
        shortcut = QStringLiteral("aguardando o serviço de atalhos do KDE");
    else if (kde)
        shortcut = QStringLiteral("o serviço de atalhos do KDE não o registrou");
    return {
        {Kind::ClipboardAccess, !clipboard.isEmpty(),
         clipboard.isEmpty() ? QStringLiteral("sem data-control") : QStringLiteral("via ") + clipboard},
        {Kind::Paste, canSynthesizeInput(), pasteHow(kwin)},
        {Kind::FrontmostApplication, frontmost,
         frontmost ? (kwinWindows ? QStringLiteral("via plasma window management")
                                  : QStringLiteral("via foreign toplevel"))
                   : (kwin ? QStringLiteral("sem plasma window management (entrada .desktop)")
                           : QStringLiteral("sem foreign toplevel"))},
        {Kind::Shortcut, shortcutFound, shortcut, taken},
        {Kind::Placement, sway || m_built.plasmaShell,
         sway ? QStringLiteral("via IPC do sway")
              : (m_built.plasmaShell ? QStringLiteral("via plasma shell") : QStringLiteral("centralizado"))},
        {Kind::PointerMotion, false, QStringLiteral("indisponível no Wayland")},
    };
}
