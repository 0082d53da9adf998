#pragma once

#include "platform/WindowSystem.h"

/// WindowSystem of a Wayland session: the compositor decides on which workspace a window shows,
/// and every Wayland compositor blends translucent pixels.
class WaylandWindowSystem : public WindowSystem
{
public:
    bool setOnAllDesktops(quint64 window) override;
    bool hasCompositor() const override;
};
