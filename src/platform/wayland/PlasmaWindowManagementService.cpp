#include "platform/wayland/PlasmaWindowManagementService.h"

#include <algorithm>
#include <utility>
#include <unistd.h>

#include <wayland-client.h>

#include "plasma-window-management-client-protocol.h"
#include "platform/wayland/WaylandGuiConnection.h"

namespace {

// KWin checks the executable against its desktop entry for each restricted global, which takes
// long on a loaded machine.
constexpr int kwinSetupTimeoutMs = 10000;

// Above any X11 id and Qt's Wayland id 1, as the wlroots list's ids.
constexpr quint64 firstWindowId = quint64(1) << 32;
// Version 4 brings initial_state and destroy.
constexpr uint32_t boundVersion = 4;

// KWin 5.27 sends some events of later versions too (virtual_desktop_entered): every event gets
// a handler, most of them this one.
template<typename Handler>
struct Ignored;
template<typename... Args>
struct Ignored<void (*)(Args...)>
{
    static void handle(Args...) {}
};
template<typename Handler>
constexpr auto ignored = &Ignored<Handler>::handle;

} // namespace

/// One window of KWin's list; its details count once initial_state arrived.
struct PlasmaWindowManagementService::Window : ListedWindow
{
    PlasmaWindowManagementService* service;
    org_kde_plasma_window* handle;
    bool active = false;
    bool ready = false;

    static Window* of(void* data) { return static_cast<Window*>(data); }
    static void onTitle(void* data, org_kde_plasma_window*, const char* text) { of(data)->title = QString::fromUtf8(text); }
    static void onAppId(void* data, org_kde_plasma_window*, const char* text) { of(data)->appId = QString::fromUtf8(text); }
    static void state(void* data, org_kde_plasma_window*, uint32_t flags)
    {
        of(data)->active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
        of(data)->service->windowsChanged();
    }
    static void unmapped(void* data, org_kde_plasma_window*) { of(data)->service->removeWindow(of(data)); }
    static void initialState(void* data, org_kde_plasma_window*)
    {
        of(data)->ready = true;
        of(data)->service->windowsChanged();
    }
    static void onPid(void* data, org_kde_plasma_window*, uint32_t pid) { of(data)->pid = pid; }
};

PlasmaWindowManagementService::PlasmaWindowManagementService(QObject* parent)
    : WindowListFrontmostService(parent), m_connection(new WaylandGuiConnection(kwinSetupTimeoutMs, this)),
      m_nextId(firstWindowId)
{
    static const org_kde_plasma_window_management_listener listener = {
        ignored<decltype(org_kde_plasma_window_management_listener::show_desktop_changed)>, handleWindow,
        ignored<decltype(org_kde_plasma_window_management_listener::stacking_order_changed)>,
        ignored<decltype(org_kde_plasma_window_management_listener::stacking_order_uuid_changed)>,
        ignored<decltype(org_kde_plasma_window_management_listener::window_with_uuid)>};
    m_manager = static_cast<org_kde_plasma_window_management*>(
        m_connection->bind(&org_kde_plasma_window_management_interface, boundVersion));
    if (m_manager && org_kde_plasma_window_management_get_version(m_manager) < boundVersion) {
        org_kde_plasma_window_management_destroy(m_manager);
        m_manager = nullptr;
    }
    if (m_manager) {
        org_kde_plasma_window_management_add_listener(m_manager, &listener, this);
        m_connection->flush();
    }
}

PlasmaWindowManagementService::~PlasmaWindowManagementService()
{
    for (const auto& window : m_windows)
        org_kde_plasma_window_destroy(window->handle);
    if (m_manager) {
        org_kde_plasma_window_management_destroy(m_manager);
        m_connection->flush();
    }
}

bool PlasmaWindowManagementService::isAvailable() const
{
    return m_manager && m_connection->isConnected();
}

void PlasmaWindowManagementService::handleWindow(void* data, org_kde_plasma_window_management* manager, uint32_t id)
{
    static const org_kde_plasma_window_listener listener = {
        .title_changed = Window::onTitle,
        .app_id_changed = Window::onAppId,
        .state_changed = Window::state,
        .virtual_desktop_changed = ignored<decltype(org_kde_plasma_window_listener::virtual_desktop_changed)>,
        .themed_icon_name_changed = ignored<decltype(org_kde_plasma_window_listener::themed_icon_name_changed)>,
        .unmapped = Window::unmapped,
        .initial_state = Window::initialState,
        .parent_window = ignored<decltype(org_kde_plasma_window_listener::parent_window)>,
        .geometry = ignored<decltype(org_kde_plasma_window_listener::geometry)>,
        .icon_changed = ignored<decltype(org_kde_plasma_window_listener::icon_changed)>,
        .pid_changed = Window::onPid,
        .virtual_desktop_entered = ignored<decltype(org_kde_plasma_window_listener::virtual_desktop_entered)>,
        .virtual_desktop_left = ignored<decltype(org_kde_plasma_window_listener::virtual_desktop_left)>,
        .application_menu = ignored<decltype(org_kde_plasma_window_listener::application_menu)>,
        .activity_entered = ignored<decltype(org_kde_plasma_window_listener::activity_entered)>,
        .activity_left = ignored<decltype(org_kde_plasma_window_listener::activity_left)>,
        .resource_name_changed = ignored<decltype(org_kde_plasma_window_listener::resource_name_changed)>,
    };
    auto* self = static_cast<PlasmaWindowManagementService*>(data);
    auto window = std::make_unique<Window>();
    window->service = self;
    window->handle = org_kde_plasma_window_management_get_window(manager, id);
    window->id = self->m_nextId++;
    org_kde_plasma_window_add_listener(window->handle, &listener, window.get());
    self->m_windows.push_back(std::move(window));
}

void PlasmaWindowManagementService::removeWindow(Window* window)
{
    if (window->id == m_requestedWindow)
        m_requestedWindowClosed = true;
    org_kde_plasma_window_destroy(window->handle);
    std::erase_if(m_windows, [window](const auto& entry) { return entry.get() == window; });
    windowsChanged();
}

bool PlasmaWindowManagementService::isOwn(const ListedWindow& window) const
{
    return window.pid == ::getpid();
}

const WindowListFrontmostService::ListedWindow* PlasmaWindowManagementService::activeWindow() const
{
    for (const auto& window : m_windows) {
        if (window->ready && window->active)
            return window.get();
    }
    return nullptr;
}

std::optional<FrontmostApplication> PlasmaWindowManagementService::frontmostApplication()
{
    // Read once by the paste that waited for the closed window.
    if (std::exchange(m_requestedWindowClosed, false))
        return std::nullopt;
    return WindowListFrontmostService::frontmostApplication();
}

bool PlasmaWindowManagementService::activateWindow(quint64 windowId)
{
    if (!isAvailable())
        return false;
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [windowId](const auto& window) { return window->id == windowId; });
    if (found == m_windows.end())
        return false;
    // Raised out of the minimized state too, as a task bar does.
    org_kde_plasma_window_set_state((*found)->handle,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE |
                                        ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
    if (!m_connection->flush())
        return false;
    m_requestedWindow = windowId;
    m_requestedWindowClosed = false;
    return true;
}

QStringList PlasmaWindowManagementService::runningApplications()
{
    QStringList names;
    for (const auto& window : m_windows) {
        if (window->ready && !window->appId.isEmpty() && !isOwn(*window))
            names.append(window->appId);
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

bool PlasmaWindowManagementService::focusSettled() const
{
    return m_requestedWindowClosed || WindowListFrontmostService::focusSettled();
}

void PlasmaWindowManagementService::windowsChanged()
{
    if (hasWaiters())
        releaseSettledWaiters();
}
