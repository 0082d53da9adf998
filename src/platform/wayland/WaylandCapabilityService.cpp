#include "platform/wayland/WaylandCapabilityService.h"

#include <wayland-client.h>

#include "platform/GlobalShortcutService.h"
#include "platform/wayland/SwayIpcClient.h"

namespace {

const QString extDataControl = QStringLiteral("ext_data_control_manager_v1");
const QString wlrDataControl = QStringLiteral("zwlr_data_control_manager_v1");
const QString virtualKeyboard = QStringLiteral("zwp_virtual_keyboard_manager_v1");
const QString foreignToplevel = QStringLiteral("zwlr_foreign_toplevel_manager_v1");

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
    return m_built.paste && m_globals.contains(virtualKeyboard);
}

QList<SessionCapability> WaylandCapabilityService::sessionCapabilities() const
{
    using Kind = SessionCapability::Kind;
    const QString clipboard = clipboardProtocol();
    using State = GlobalShortcutService::State;
    const bool sway = m_built.swayIpc && m_swaySocket;
    const bool portal = m_built.portalShortcuts && m_portalShortcuts;
    const bool frontmost = m_built.frontmostApplication && m_globals.contains(foreignToplevel);
    const State state = m_shortcuts ? m_shortcuts->state() : State::Waiting;
    const bool taken = state == State::KeysTaken;
    const bool shortcutFound = (sway || portal) && state != State::Refused && !taken;
    QString shortcut = QStringLiteral("nenhum (associe ovelin --toggle nas teclas do ambiente)");
    if (taken)
        shortcut = QStringLiteral("teclas já associadas no ambiente");
    else if (sway && shortcutFound)
        shortcut = QStringLiteral("via IPC do sway");
    else if (portal && shortcutFound)
        shortcut = QStringLiteral("via portal GlobalShortcuts");
    return {
        {Kind::ClipboardAccess, !clipboard.isEmpty(),
         clipboard.isEmpty() ? QStringLiteral("sem data-control") : QStringLiteral("via ") + clipboard},
        {Kind::Paste, canSynthesizeInput(),
         canSynthesizeInput() ? QStringLiteral("via teclado virtual")
                              : QStringLiteral("sem teclado virtual")},
        {Kind::FrontmostApplication, frontmost,
         frontmost ? QStringLiteral("via foreign toplevel") : QStringLiteral("sem foreign toplevel")},
        {Kind::Shortcut, shortcutFound, shortcut, taken},
        {Kind::Placement, sway, sway ? QStringLiteral("via IPC do sway") : QStringLiteral("centralizado")},
        {Kind::PointerMotion, false, QStringLiteral("indisponível no Wayland")},
    };
}
