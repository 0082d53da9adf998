#pragma once

#include "platform/SessionServices.h"

namespace ovelin::wayland {

/// The Wayland services of the running application (a QGuiApplication on the wayland platform
/// must exist by the first call). The shortcut goes through sway's IPC, the desktop portal or
/// KDE's shortcut service.
using Services = SessionServices;

const Services& services();

} // namespace ovelin::wayland
