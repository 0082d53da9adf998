#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>

#include "platform/FrontmostApplicationService.h"

class QTimer;
class WaylandGuiConnection;
struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

/// The frontmost application on KWin, from its window list (org_kde_plasma_window_management):
/// the active window's app id, title and process; activation through its state. KWin offers the
/// list only to the executable its installed desktop entry names. Windows of this process never
/// count as frontmost. Events are read on the GUI thread on a connection of its own.
class PlasmaWindowManagementService : public QObject, public FrontmostApplicationService
{
    Q_OBJECT
public:
    explicit PlasmaWindowManagementService(QObject* parent = nullptr);
    ~PlasmaWindowManagementService() override;

    /// Whether KWin offered the window list to this process.
    bool isAvailable() const;

    std::optional<FrontmostApplication> frontmostApplication() override;
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;
    /// As on wlroots; a window asked for that closes meanwhile leaves no frontmost application
    /// until the next activation, so that the paste never lands in another window.
    void whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                          std::function<void()> ready) override;

private:
    struct Window;
    struct Waiter
    {
        QPointer<QObject> context;
        std::function<void()> ready;
        QTimer* deadline;
    };
    static void handleWindow(void* data, org_kde_plasma_window_management* manager, uint32_t id);
    const Window* activeWindow() const;
    bool isOwn(const Window& window) const;
    bool focusSettled() const;
    void releaseWaiters(bool settledOnly);
    void removeWindow(Window* window);

    WaylandGuiConnection* m_connection;
    org_kde_plasma_window_management* m_manager = nullptr;
    std::vector<std::unique_ptr<Window>> m_windows;
    quint64 m_nextId;
    quint64 m_requestedWindow = 0;
    bool m_requestedWindowClosed = false;
    std::vector<std::unique_ptr<Waiter>> m_waiters;
};
