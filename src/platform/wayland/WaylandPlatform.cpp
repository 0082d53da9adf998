#include "platform/wayland/WaylandPlatform.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "platform/wayland/PortalShortcutService.h"
#include "platform/wayland/SwayIpcClient.h"
#include "platform/wayland/SwayPanelPlacement.h"
#include "platform/wayland/SwayShortcutService.h"
#include "platform/wayland/UnboundShortcutService.h"
#include "platform/wayland/WaylandCapabilityService.h"
#include "platform/wayland/WaylandClipboardService.h"
#include "platform/wayland/WaylandFrontmostApplicationService.h"
#include "platform/wayland/WaylandKeyEventPoster.h"
#include "platform/wayland/WaylandWindowSystem.h"

namespace ovelin::wayland {

namespace {

Services make()
{
    static UnboundShortcutService unbound;
    // QObjects here belong to the application, so they go before the connection Qt closes.
    QObject* owner = QCoreApplication::instance();
    auto* clipboard = new WaylandClipboardService(owner);
    auto* frontmost = new WaylandFrontmostApplicationService({}, owner);
    auto* keys = new WaylandKeyEventPoster(owner);

    const QString swaySocket = SwayIpcClient::socketPathFromEnvironment();
    SwayIpcClient* sway = swaySocket.isEmpty() ? nullptr : new SwayIpcClient(swaySocket, owner);
    GlobalShortcutService* shortcuts = nullptr;
    const bool portal = !sway && PortalShortcutService::isOffered(QDBusConnection::sessionBus());
    if (sway)
        shortcuts = new SwayShortcutService(sway, owner);
    else if (portal)
        shortcuts = new PortalShortcutService(QDBusConnection::sessionBus(), owner);
    else
        shortcuts = &unbound; // says which command to bind, and never falls back to an X11 grab
    static WaylandWindowSystem windowSystem(sway ? new SwayPanelPlacement(sway, owner) : nullptr);

    WaylandCapabilityService::Built built;
    built.clipboard = clipboard->protocol().has_value();
    built.paste = keys->isAvailable();
    built.frontmostApplication = frontmost->isAvailable();
    built.swayIpc = sway != nullptr;
    built.portalShortcuts = portal;
    static WaylandCapabilityService capabilities(built);
    capabilities.setShortcutService(shortcuts);

    Services services;
    services.platform = {clipboard, frontmost, keys, nullptr};
    services.shortcuts = shortcuts;
    services.windowSystem = &windowSystem;
    services.capabilities = &capabilities;
    services.watchesClipboard = built.clipboard;
    return services;
}

} // namespace

const Services& services()
{
    static const Services made = make();
    return made;
}

} // namespace ovelin::wayland
