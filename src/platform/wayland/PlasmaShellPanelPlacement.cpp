#include "platform/wayland/PlasmaShellPanelPlacement.h"

#include <cstring>

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include "plasma-shell-client-protocol.h"

namespace {

// open_under_cursor came with version 7.
constexpr uint32_t neededVersion = 7;

struct Found
{
    wl_registry* registry;
    org_kde_plasma_shell* shell = nullptr;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* found = static_cast<Found*>(data);
    if (!found->shell && std::strcmp(interface, org_kde_plasma_shell_interface.name) == 0 && version >= neededVersion)
        found->shell = static_cast<org_kde_plasma_shell*>(
            wl_registry_bind(registry, name, &org_kde_plasma_shell_interface, neededVersion));
}

void onGlobalRemoved(void*, wl_registry*, uint32_t) {}

wl_display* qtDisplay()
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native || QGuiApplication::platformName() != QLatin1String("wayland"))
        return nullptr;
    return static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
}

} // namespace

PlasmaShellPanelPlacement::PlasmaShellPanelPlacement()
{
    wl_display* display = qtDisplay();
    if (!display)
        return;
    // A queue of our own: Qt's event thread never dispatches the shell's events, nor we Qt's.
    m_queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), m_queue);
    static const wl_registry_listener listener = {onGlobal, onGlobalRemoved};
    Found found{wl_display_get_registry(wrapper)};
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(found.registry, &listener, &found);
    wl_display_roundtrip_queue(display, m_queue);
    wl_registry_destroy(found.registry);
    m_shell = found.shell;
}

PlasmaShellPanelPlacement::~PlasmaShellPanelPlacement()
{
    // Qt may have closed its connection already at quit; the proxies go with it then.
    if (!qtDisplay())
        return;
    if (m_surface)
        org_kde_plasma_surface_destroy(m_surface);
    if (m_shell)
        org_kde_plasma_shell_destroy(m_shell);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

bool PlasmaShellPanelPlacement::openUnderCursor(QWindow* window)
{
    if (!m_shell || !window)
        return false;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
    if (!surface)
        return false;
    // Qt gives the panel a fresh surface each time it is shown.
    if (m_surface)
        org_kde_plasma_surface_destroy(m_surface);
    m_surface = org_kde_plasma_shell_get_surface(m_shell, surface);
    org_kde_plasma_surface_set_skip_taskbar(m_surface, 1);
    org_kde_plasma_surface_set_skip_switcher(m_surface, 1);
    org_kde_plasma_surface_open_under_cursor(m_surface);
    wl_display_flush(qtDisplay());
    return true;
}
