#include "platform/wayland/WaylandWindowSystem.h"

#include <QGuiApplication>
#include <QWindow>

#include "platform/wayland/PlasmaShellPanelPlacement.h"
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
    if (m_plasma) {
        // Qt's Wayland windows all report the same id: the panel is the visible tool window.
        const QWindowList windows = QGuiApplication::topLevelWindows();
        for (QWindow* candidate : windows) {
            if (candidate->isVisible() && candidate->winId() == window && candidate->type() == Qt::Tool)
                return m_plasma->openUnderCursor(candidate);
        }
        return false;
    }
    if (!m_placement)
        return false;
    m_placement->place();
    return true;
}
