// A clipboard owner that never answers: it sets the clipboard through data-control, then keeps
// every request for the data open without writing. Prints "ready" once the clipboard is its own,
// and exits when another copy replaces it.
#include <cstdio>
#include <cstring>
#include <vector>

#include <wayland-client.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

zwlr_data_control_manager_v1* manager = nullptr;
wl_seat* seat = nullptr;
bool cancelled = false;
std::vector<int> unanswered;

void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}
void onGlobalRemove(void*, wl_registry*, uint32_t)
{
}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onSend(void*, zwlr_data_control_source_v1*, const char*, int32_t fd)
{
    unanswered.push_back(fd);
}
void onCancelled(void*, zwlr_data_control_source_v1*)
{
    cancelled = true;
}
const zwlr_data_control_source_v1_listener sourceListener = {onSend, onCancelled};

} // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager || !seat)
        return 1;
    zwlr_data_control_device_v1* device = zwlr_data_control_manager_v1_get_data_device(manager, seat);
    zwlr_data_control_source_v1* source = zwlr_data_control_manager_v1_create_data_source(manager);
    zwlr_data_control_source_v1_offer(source, "text/plain");
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, nullptr);
    zwlr_data_control_device_v1_set_selection(device, source);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    while (!cancelled && wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
