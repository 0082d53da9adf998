#pragma once

#include "platform/CapabilityService.h"

/// Asks the X server named by $DISPLAY (or the one Qt is connected to) for XTEST and XInput 2.
class X11CapabilityService : public CapabilityService
{
public:
    bool canSynthesizeInput() const override;
    bool canMonitorInput() const override;
    /// Under XWayland an X client sees the pointer only over its own windows.
    bool offersGlobalPointer() const override { return !isWaylandSession(); }

    /// True when the environment describes a Wayland session (XDG_SESSION_TYPE or WAYLAND_DISPLAY).
    static bool isWaylandSession();
};
