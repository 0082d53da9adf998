#pragma once

#include "platform/PlatformServices.h"

class CapabilityService;
class GlobalShortcutService;
class WindowSystem;

/// The services a Wayland session's backend hands out (wlroots and KWin, GNOME), each made once
/// for the life of the process.
struct SessionServices
{
    /// The clipboard, the frontmost application and the key poster; the sound player is not the
    /// session's to make.
    PlatformServices platform;
    /// Binds the shortcut through the desktop; where it cannot, says which command to bind in the
    /// desktop's settings.
    GlobalShortcutService* shortcuts = nullptr;
    WindowSystem* windowSystem = nullptr;
    CapabilityService* capabilities = nullptr;
    /// False where the compositor offers no data-control: nothing can be captured.
    bool watchesClipboard = true;
};
