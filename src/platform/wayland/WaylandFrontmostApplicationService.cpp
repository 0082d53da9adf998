#include "platform/wayland/WaylandFrontmostApplicationService.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <wayland-client.h>

#include "platform/wayland/WaylandGuiConnection.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

using namespace Qt::StringLiterals;

namespace {

// Qt's windows on Wayland all report the window id 1, and X11 ids stay below 2^32: ids from
// here on can never be taken for one of Ovelin's own windows.
constexpr quint64 firstWindowId = quint64(1) << 32;

} // namespace

/// One toplevel of the compositor's list. Details take effect at the handle's done event.
struct WaylandFrontmostApplicationService::Toplevel : ListedWindow
{
    WaylandFrontmostApplicationService* service;
    zwlr_foreign_toplevel_handle_v1* handle;
    bool activated = false;
    QString pendingAppId;
    QString pendingTitle;
    bool pendingActivated = false;

    static void handleTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title)
    {
        static_cast<Toplevel*>(data)->pendingTitle = QString::fromUtf8(title);
    }
    static void handleAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId)
    {
        static_cast<Toplevel*>(data)->pendingAppId = QString::fromUtf8(appId);
    }
    static void handleOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void handleState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states)
    {
        auto* self = static_cast<Toplevel*>(data);
        self->pendingActivated = false;
        const auto* state = static_cast<const uint32_t*>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
            if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                self->pendingActivated = true;
        }
    }
    static void handleDone(void* data, zwlr_foreign_toplevel_handle_v1*)
    {
        auto* self = static_cast<Toplevel*>(data);
        self->appId = self->pendingAppId;
        self->title = self->pendingTitle;
        self->activated = self->pendingActivated;
        self->service->releaseSettledWaiters();
    }
    static void handleClosed(void* data, zwlr_foreign_toplevel_handle_v1*)
    {
        auto* self = static_cast<Toplevel*>(data);
        WaylandFrontmostApplicationService* service = self->service;
        service->removeToplevel(self);
        service->releaseSettledWaiters();
    }
    static void handleParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
};

WaylandFrontmostApplicationService::WaylandFrontmostApplicationService(const QString& ownAppId,
                                                                       QObject* parent)
    : WindowListFrontmostService(parent), m_connection(new WaylandGuiConnection(3000, this)),
      m_ownAppId(ownAppId), m_nextId(firstWindowId)
{
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {handleToplevel, handleFinished};
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        m_connection->bind(&zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (m_manager) {
        zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &listener, this);
        m_connection->flush();
    }
}

WaylandFrontmostApplicationService::~WaylandFrontmostApplicationService()
{
    for (const auto& toplevel : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    if (m_manager) {
        zwlr_foreign_toplevel_manager_v1_stop(m_manager);
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
        m_connection->flush();
    }
}

bool WaylandFrontmostApplicationService::isAvailable() const
{
    return m_manager && m_connection->isConnected();
}

QString WaylandFrontmostApplicationService::qtAppId()
{
    // The rule Qt's Wayland windows follow: the desktop file's name, else the program's name
    // after the reversed organisation domain.
    QString name = QGuiApplication::desktopFileName();
    if (!name.isEmpty()) {
        if (name.endsWith(u".desktop"_s))
            name.chop(8);
        return name;
    }
    QString appId = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
    const QStringList domain = QCoreApplication::organizationDomain().split(u'.', Qt::SkipEmptyParts);
    for (const QString& part : domain)
        appId.prepend(part + u'.');
    return appId;
}

void WaylandFrontmostApplicationService::handleToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                                        zwlr_foreign_toplevel_handle_v1* handle)
{
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        Toplevel::handleTitle, Toplevel::handleAppId, Toplevel::handleOutput, Toplevel::handleOutput,
        Toplevel::handleState, Toplevel::handleDone,  Toplevel::handleClosed, Toplevel::handleParent};
    auto* self = static_cast<WaylandFrontmostApplicationService*>(data);
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->service = self;
    toplevel->handle = handle;
    toplevel->id = self->m_nextId++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
    self->m_toplevels.push_back(std::move(toplevel));
}

void WaylandFrontmostApplicationService::handleFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager)
{
    auto* self = static_cast<WaylandFrontmostApplicationService*>(data);
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    self->m_manager = nullptr;
}

void WaylandFrontmostApplicationService::removeToplevel(Toplevel* toplevel)
{
    if (toplevel->id == m_requestedWindow)
        m_requestedWindow = 0;
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    std::erase_if(m_toplevels, [toplevel](const auto& entry) { return entry.get() == toplevel; });
}

bool WaylandFrontmostApplicationService::isOwn(const ListedWindow& toplevel) const
{
    // Read when needed: the application may name its desktop file after this service exists.
    return toplevel.appId == (m_ownAppId.isEmpty() ? qtAppId() : m_ownAppId);
}

const WindowListFrontmostService::ListedWindow* WaylandFrontmostApplicationService::activeWindow() const
{
    for (const auto& toplevel : m_toplevels) {
        if (toplevel->activated)
            return toplevel.get();
    }
    return nullptr;
}

bool WaylandFrontmostApplicationService::activateWindow(quint64 windowId)
{
    if (!isAvailable() || !m_connection->seat())
        return false;
    const auto found = std::find_if(m_toplevels.begin(), m_toplevels.end(),
                                    [windowId](const auto& toplevel) { return toplevel->id == windowId; });
    if (found == m_toplevels.end())
        return false;
    zwlr_foreign_toplevel_handle_v1_activate((*found)->handle, m_connection->seat());
    if (!m_connection->flush())
        return false;
    m_requestedWindow = windowId;
    return true;
}

QStringList WaylandFrontmostApplicationService::runningApplications()
{
    QStringList names;
    for (const auto& toplevel : m_toplevels) {
        if (!toplevel->appId.isEmpty())
            names.append(toplevel->appId);
    }
    names.sort();
    names.removeDuplicates();
    return names;
}
