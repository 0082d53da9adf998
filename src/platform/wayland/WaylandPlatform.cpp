#include "platform/wayland/WaylandPlatform.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "platform/wayland/KGlobalAccelShortcutService.h"
#include "platform/wayland/KwinFakeInputKeyEventPoster.h"
#include "platform/wayland/PlasmaShellPanelPlacement.h"
#include "platform/wayland/PlasmaWindowManagementService.h"
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
    // KWin's own protocols where it offers them to this executable, else the wlroots family's.
    auto* fakeInput = new KwinFakeInputKeyEventPoster(owner);
    auto* plasmaWindows = new PlasmaWindowManagementService(owner);
    KeyEventPoster* keys = fakeInput;
    FrontmostApplicationService* frontmost = plasmaWindows;
    bool keysAvailable = fakeInput->isAvailable();
    const bool kwinKeys = keysAvailable;
    bool frontmostAvailable = plasmaWindows->isAvailable();
    if (!keysAvailable) {
        delete fakeInput;
        auto* virtualKeyboard = new WaylandKeyEventPoster(owner);
        keys = virtualKeyboard;
        keysAvailable = virtualKeyboard->isAvailable();
    }
    if (!frontmostAvailable) {
        delete plasmaWindows;
        auto* toplevels = new WaylandFrontmostApplicationService({}, owner);
        frontmost = toplevels;
        frontmostAvailable = toplevels->isAvailable();
    }

    const QString swaySocket = SwayIpcClient::socketPathFromEnvironment();
    SwayIpcClient* sway = swaySocket.isEmpty() ? nullptr : new SwayIpcClient(swaySocket, owner);
    GlobalShortcutService* shortcuts = nullptr;
    const bool portal = !sway && PortalShortcutService::isOffered(QDBusConnection::sessionBus());
    // Plasma 5.27 runs KDE's shortcut service, but its portal (1.16) has no GlobalShortcuts.
    const bool kde =
        !sway && !portal && KGlobalAccelShortcutService::isOffered(QDBusConnection::sessionBus());
    if (sway)
        shortcuts = new SwayShortcutService(sway, owner);
    else if (portal)
        shortcuts = new PortalShortcutService(QDBusConnection::sessionBus(), owner);
    else if (kde)
        shortcuts = new KGlobalAccelShortcutService(QDBusConnection::sessionBus(), owner);
    else
        shortcuts = &unbound; // says which command to bind, and never falls back to an X11 grab
    static PlasmaShellPanelPlacement plasmaShell;
    static WaylandWindowSystem windowSystem =
        sway ? WaylandWindowSystem(new SwayPanelPlacement(sway, owner))
             : (plasmaShell.isAvailable() ? WaylandWindowSystem(&plasmaShell) : WaylandWindowSystem());

    WaylandCapabilityService::Built built;
    built.clipboard = clipboard->protocol().has_value();
    built.paste = keysAvailable;
    built.frontmostApplication = frontmostAvailable;
    built.swayIpc = sway != nullptr;
    built.portalShortcuts = portal;
    built.kdeShortcuts = kde;
    built.plasmaShell = !sway && plasmaShell.isAvailable();
    static WaylandCapabilityService capabilities(built);
    capabilities.setShortcutService(shortcuts);
    if (kwinKeys)
        capabilities.setPasteStillOffered([fakeInput] { return fakeInput->isAvailable(); });

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
