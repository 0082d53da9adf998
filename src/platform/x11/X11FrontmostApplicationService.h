#pragma once

#include "platform/FrontmostApplicationService.h"

/// EWMH: the root window's _NET_ACTIVE_WINDOW, its WM_CLASS, name and _NET_WM_PID.
/// Without a window manager, the window with the input focus (or its nearest named ancestor).
class X11FrontmostApplicationService : public FrontmostApplicationService
{
public:
    std::optional<FrontmostApplication> frontmostApplication() override;
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;
};
