#pragma once

#include <functional>

namespace ovelin::x11 {

/// When the X server goes away (logout, a crashed server), Xlib and Qt's X connection end the
/// process with exit() from wherever they noticed. `lost` runs first, on that thread, with the
/// rest of the process still alive; the process then ends at once with status 1, skipping the
/// teardown of a GUI whose display is gone. An empty function stops the watch.
void onConnectionLost(std::function<void()> lost);

} // namespace ovelin::x11
