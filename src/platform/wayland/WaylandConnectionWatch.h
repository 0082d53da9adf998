#pragma once

#include <functional>

namespace ovelin::wayland {

/// When the compositor goes away, Qt's wayland platform reports the broken connection and ends
/// the process from its own thread without running the application's clean-up. `lost` runs
/// first, on that thread, with the rest of the process still alive; the process then ends with
/// status 1. An empty function stops the watch.
void onConnectionLost(std::function<void()> lost);

} // namespace ovelin::wayland
