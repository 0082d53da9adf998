#pragma once

#include "platform/PlatformServices.h"

class GlobalShortcutService;
class WaylandCapabilityService;
class WindowSystem;

namespace ovelin::wayland {

/// The Wayland services of the running application, each made once for the life of the process
/// (a QGuiApplication on the wayland platform must exist by the first call).
struct Services
{
    /// The clipboard, the frontmost application and the virtual-keyboard key poster; the sound
    /// player is not Wayland's to make.
    PlatformServices platform;
    /// Binds the shortcut through sway's IPC or the desktop portal; where neither is there, says
    /// which command to bind in the desktop's settings.
    GlobalShortcutService* shortcuts = nullptr;
    WindowSystem* windowSystem = nullptr;
    WaylandCapabilityService* capabilities = nullptr;
    /// False where the compositor offers no data-control: nothing can be captured.
    bool watchesClipboard = false;
};

const Services& services();

} // namespace ovelin::wayland
