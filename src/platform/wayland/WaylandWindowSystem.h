#pragma once

#include "platform/WindowSystem.h"

class PlasmaShellPanelPlacement;
class SwayPanelPlacement;

/// WindowSystem of a Wayland session: every Wayland compositor blends translucent pixels, and
/// only the compositor places windows, so the panel goes to the pointer where it can be asked
/// (sway) and wherever the compositor puts it elsewhere.
class WaylandWindowSystem : public WindowSystem
{
public:
    /// `placement` is not owned; none where the compositor cannot be asked.
    explicit WaylandWindowSystem(SwayPanelPlacement* placement = nullptr) : m_placement(placement) {}
    /// On KWin: `plasma` (not owned) opens the panel under the pointer.
    explicit WaylandWindowSystem(PlasmaShellPanelPlacement* plasma) : m_plasma(plasma) {}

    bool setOnAllDesktops(quint64 window) override;
    bool hasCompositor() const override;
    bool placeAtPointer(quint64 window) override;

private:
    SwayPanelPlacement* m_placement = nullptr;
    PlasmaShellPanelPlacement* m_plasma = nullptr;
};
