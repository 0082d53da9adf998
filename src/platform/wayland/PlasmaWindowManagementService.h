#pragma once

#include <memory>
#include <vector>

#include "platform/wayland/WindowListFrontmostService.h"

class WaylandGuiConnection;
struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

/// The frontmost application on KWin, from its window list (org_kde_plasma_window_management):
/// the active window's app id, title and process; activation through its state. KWin offers the
/// list only to the executable its installed desktop entry names. Windows of this process never
/// count as frontmost. Events are read on the GUI thread on a connection of its own.
class PlasmaWindowManagementService : public WindowListFrontmostService
{
    Q_OBJECT
public:
    explicit PlasmaWindowManagementService(QObject* parent = nullptr);
    ~PlasmaWindowManagementService() override;

    /// Whether KWin offered the window list to this process.
    bool isAvailable() const override;

    std::optional<FrontmostApplication> frontmostApplication() override;
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;

private:
    struct Window;
    static void handleWindow(void* data, org_kde_plasma_window_management* manager, uint32_t id);
    const ListedWindow* activeWindow() const override;
    bool isOwn(const ListedWindow& window) const override;
    // A window asked for that closes meanwhile leaves no frontmost application until the next
    // activation, so that the paste never lands in another window.
    bool focusSettled() const override;
    // The window asked for stays asked for until a paste waits for it, so that its closing is
    // seen even after it had the focus.
    void windowsChanged();
    void removeWindow(Window* window);

    WaylandGuiConnection* m_connection;
    org_kde_plasma_window_management* m_manager = nullptr;
    std::vector<std::unique_ptr<Window>> m_windows;
    quint64 m_nextId;
    bool m_requestedWindowClosed = false;
};
