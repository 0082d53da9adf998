#pragma once

#include <QElapsedTimer>

#include "platform/FrontmostApplicationService.h"

/// EWMH: the root window's _NET_ACTIVE_WINDOW, its WM_CLASS, name and _NET_WM_PID.
/// Without a window manager, the window with the input focus (or its nearest named ancestor).
class X11FrontmostApplicationService : public FrontmostApplicationService
{
public:
    std::optional<FrontmostApplication> frontmostApplication() override;
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;
    /// Waits, looking every few milliseconds, until the window last asked for is the active one.
    void whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                          std::function<void()> ready) override;

private:
    // The other application's window activateWindow() last asked for, and since when.
    quint64 m_requestedWindow = 0;
    QElapsedTimer m_requestedAt;
};
