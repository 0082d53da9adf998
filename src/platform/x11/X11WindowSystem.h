#pragma once

#include "platform/WindowSystem.h"

/// WindowSystem over EWMH (_NET_WM_STATE_STICKY, _NET_WM_DESKTOP, _NET_WM_CM_Sn).
/// Does nothing (and reports no compositor) when the application does not run on X11.
class X11WindowSystem : public WindowSystem
{
public:
    bool setOnAllDesktops(quint64 window) override;
    bool hasCompositor() const override;
};
