#pragma once

#include <QtGlobal>

/// How the desktop shows Ovelin's top-level windows. Window ids are native ids (X11: Window).
/// Finding and activating the frontmost window is FrontmostApplicationService's job.
class WindowSystem
{
public:
    virtual ~WindowSystem() = default;
    /// Keeps a top-level window on every virtual desktop. False when the request could not be made.
    virtual bool setOnAllDesktops(quint64 window) = 0;
    /// True when a compositing manager runs, so translucent pixels really are translucent.
    virtual bool hasCompositor() const = 0;
    /// Asks the compositor to put the just-shown panel at the pointer, where a client cannot place
    /// its own window (Wayland). False when the window's own position is used, as on X11.
    virtual bool placeAtPointer(quint64 window)
    {
        Q_UNUSED(window);
        return false;
    }
};
