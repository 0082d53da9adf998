#pragma once

#include <memory>
#include <vector>

#include "platform/wayland/WindowListFrontmostService.h"

class WaylandGuiConnection;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

/// The frontmost application of a wlroots compositor, from its foreign-toplevel list: the
/// activated toplevel's app id and title. Windows of this process never count as frontmost.
/// Events are read on the GUI thread through a connection of its own. GUI thread only.
class WaylandFrontmostApplicationService : public WindowListFrontmostService
{
    Q_OBJECT
public:
    /// `ownAppId` is the app id of this process's windows; empty: the one Qt gives them.
    explicit WaylandFrontmostApplicationService(const QString& ownAppId = {}, QObject* parent = nullptr);
    ~WaylandFrontmostApplicationService() override;

    /// Whether the compositor offers the toplevel list (zwlr_foreign_toplevel_manager_v1).
    bool isAvailable() const override;
    /// The app id Qt gives this process's windows on Wayland.
    static QString qtAppId();

    /// Windows are the ids frontmostApplication() hands out; false for any other id.
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;

private:
    struct Toplevel;
    static void handleToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                               zwlr_foreign_toplevel_handle_v1* handle);
    static void handleFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    const ListedWindow* activeWindow() const override;
    bool isOwn(const ListedWindow& toplevel) const override;
    void removeToplevel(Toplevel* toplevel);

    WaylandGuiConnection* m_connection;
    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    QString m_ownAppId;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    quint64 m_nextId;
};
