#pragma once

struct org_kde_plasma_shell;
struct org_kde_plasma_surface;
struct wl_event_queue;
struct wl_surface;
class QWindow;

/// Opens Ovelin's panel under the pointer on KWin, which lets a client ask for that through the
/// Plasma shell surface (org_kde_plasma_shell v7+, offered to every client): the request must
/// reach KWin before the panel's first frame, and KWin keeps the panel on the monitor. Works on
/// Qt's own Wayland connection, since the panel's surface lives there. GUI thread only.
class PlasmaShellPanelPlacement
{
public:
    /// Binds the Plasma shell on Qt's connection; isAvailable() says whether KWin offers it.
    PlasmaShellPanelPlacement();
    ~PlasmaShellPanelPlacement();
    PlasmaShellPanelPlacement(const PlasmaShellPanelPlacement&) = delete;
    PlasmaShellPanelPlacement& operator=(const PlasmaShellPanelPlacement&) = delete;

    bool isAvailable() const { return m_shell != nullptr; }
    /// Asks KWin to open the just-shown `window` under the pointer, off the task bar and the
    /// window switcher. False when the window has no Wayland surface or KWin offers no shell.
    bool openUnderCursor(QWindow* window);

private:
    wl_event_queue* m_queue = nullptr;
    org_kde_plasma_shell* m_shell = nullptr;
    org_kde_plasma_surface* m_surface = nullptr;
};
