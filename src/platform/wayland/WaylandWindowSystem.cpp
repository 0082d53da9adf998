#include "platform/wayland/WaylandWindowSystem.h"

bool WaylandWindowSystem::setOnAllDesktops(quint64 window)
{
    // No Wayland protocol lets a client pin its window to every workspace; the panel is shown
    // on the workspace in use each time instead.
    Q_UNUSED(window);
    return false;
}

bool WaylandWindowSystem::hasCompositor() const
{
    return true;
}
