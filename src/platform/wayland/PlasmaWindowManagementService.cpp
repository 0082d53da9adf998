#include "platform/wayland/PlasmaWindowManagementService.h"

#include <algorithm>
#include <utility>
#include <unistd.h>

#include <QTimer>

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
struct PlasmaWindowManagementService::Window
{
    PlasmaWindowManagementService* service;
    org_kde_plasma_window* handle;
    quint64 id;
    QString appId;
    QString title;
    qint64 pid = 0;
    bool active = false;
    bool ready = false;

    static Window* of(void* data) { return static_cast<Window*>(data); }
    static void onTitle(void* data, org_kde_plasma_window*, const char* text) { of(data)->title = QString::fromUtf8(text); }
    static void onAppId(void* data, org_kde_plasma_window*, const char* text) { of(data)->appId = QString::fromUtf8(text); }
    static void state(void* data, org_kde_plasma_window*, uint32_t flags)
    {
        of(data)->active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
        of(data)->service->releaseWaiters(true);
    }
    static void unmapped(void* data, org_kde_plasma_window*) { of(data)->service->removeWindow(of(data)); }
    static void initialState(void* data, org_kde_plasma_window*)
    {
        of(data)->ready = true;
        of(data)->service->releaseWaiters(true);
    }
    static void onPid(void* data, org_kde_plasma_window*, uint32_t pid) { of(data)->pid = pid; }
};

PlasmaWindowManagementService::PlasmaWindowManagementService(QObject* parent)
    : QObject(parent), m_connection(new WaylandGuiConnection(kwinSetupTimeoutMs, this)), m_nextId(firstWindowId)
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
    releaseWaiters(true);
}

bool PlasmaWindowManagementService::isOwn(const Window& window) const
{
    return window.pid == ::getpid();
}

const PlasmaWindowManagementService::Window* PlasmaWindowManagementService::activeWindow() const
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
    const Window* active = activeWindow();
    if (!active || isOwn(*active))
        return std::nullopt;
    FrontmostApplication app;
    app.windowId = active->id;
    if (!active->appId.isEmpty())
        app.identifier = active->appId;
    if (!active->title.isEmpty())
        app.name = active->title;
    if (active->pid > 0)
        app.processIdentifier = active->pid;
    return app;
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
    if (m_requestedWindowClosed)
        return true;
    const Window* active = activeWindow();
    return active && !isOwn(*active) && (m_requestedWindow == 0 || active->id == m_requestedWindow);
}

void PlasmaWindowManagementService::whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                                                     std::function<void()> ready)
{
    if (!isAvailable() || focusSettled()) {
        m_requestedWindow = 0;
        ready();
        return;
    }
    auto waiter = std::make_unique<Waiter>();
    waiter->context = context;
    waiter->ready = std::move(ready);
    waiter->deadline = new QTimer(this);
    waiter->deadline->setSingleShot(true);
    connect(waiter->deadline, &QTimer::timeout, this, [this] {
        // KWin did not move the focus in time: paste where it is now.
        m_requestedWindow = 0;
        releaseWaiters(false);
    });
    waiter->deadline->start(timeout);
    m_waiters.push_back(std::move(waiter));
}

void PlasmaWindowManagementService::releaseWaiters(bool settledOnly)
{
    if (m_waiters.empty() || (settledOnly && !focusSettled()))
        return;
    m_requestedWindow = 0;
    std::vector<std::unique_ptr<Waiter>> released;
    released.swap(m_waiters);
    for (const auto& waiter : released) {
        waiter->deadline->stop();
        waiter->deadline->deleteLater();
        // From the event loop, not from inside the dispatch of KWin's events.
        if (waiter->context)
            QMetaObject::invokeMethod(waiter->context, std::move(waiter->ready), Qt::QueuedConnection);
    }
}
