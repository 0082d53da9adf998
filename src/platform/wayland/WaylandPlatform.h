#pragma once

#include "platform/PlatformServices.h"
#include "platform/wayland/WaylandCapabilityService.h"

namespace ovelin::wayland {

/// The Wayland services of the running application: the clipboard, the frontmost application
/// and the key poster, each where this build has it (the sound player is not Wayland's to make).
/// Created on the first call (a QGuiApplication on the wayland platform must exist) and kept for
/// the life of the process.
const PlatformServices& platformServices();

/// Which of the compositor's offers this build can use.
WaylandCapabilityService::Built builtCapabilities();

} // namespace ovelin::wayland
