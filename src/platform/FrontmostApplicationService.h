#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QObject;

/// The application whose window has the focus.
struct FrontmostApplication
{
    /// The native window (on X11, the client window named by _NET_ACTIVE_WINDOW).
    quint64 windowId = 0;
    /// A stable name of the application (on X11, the class part of WM_CLASS).
    std::optional<QString> identifier;
    /// The window's human-readable name (on X11, _NET_WM_NAME, else WM_NAME).
    std::optional<QString> name;
    /// The owning process (on X11, _NET_WM_PID), when the window announces it.
    std::optional<qint64> processIdentifier;
};

/// Finds the frontmost application and hands the focus to a window. GUI thread only.
class FrontmostApplicationService
{
public:
    virtual ~FrontmostApplicationService() = default;

    /// None when no window has the focus or the window system cannot tell.
    virtual std::optional<FrontmostApplication> frontmostApplication() = 0;
    /// Asks the window manager to activate the window; false when the request could not be made.
    virtual bool activateWindow(quint64 windowId) = 0;
    /// The identifiers of the applications that have a window, sorted, each once.
    virtual QStringList runningApplications() = 0;
    /// Calls `ready` once the focus has left Ovelin's windows for another one (the one
    /// activateWindow() asked for, if any), at the latest after `timeout`; never if `context` is
    /// gone by then. Where the focus changes before activateWindow() returns, at once.
    virtual void whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                                  std::function<void()> ready)
    {
        Q_UNUSED(timeout);
        Q_UNUSED(context);
        ready();
    }
};
