#include "platform/wayland/WaylandWindowSystem.h"

#include "platform/wayland/SwayPanelPlacement.h"

bool WaylandWindowSystem::setOnAllDesktops(quint64 window)
{
    // No Wayland protocol lets a client pin its window to every workspace; sway's placement makes
    // the panel sticky when it moves it.
    Q_UNUSED(window);
    return m_placement != nullptr;
}

bool WaylandWindowSystem::hasCompositor() const
{
    return true;
}

bool WaylandWindowSystem::placeAtPointer(quint64 window)
{
    Q_UNUSED(window);
    if (!m_placement)
        return false;
    m_placement->place();
    return true;
}
