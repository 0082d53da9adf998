// Another Wayland client that owns the clipboard through data-control:
//   wayland_owner                       offers text and keeps every request for it open unanswered
//   wayland_owner own <mime>=<file> ... offers these representations and answers every request
//   wayland_owner burst <count>         copies "burst 1" ... "burst <count>", each once it was read,
//                                       then prints "done"
// Prints "ready" once the clipboard is its own, and exits when another copy replaces it.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include <wayland-client.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

zwlr_data_control_manager_v1* manager = nullptr;
wl_seat* seat = nullptr;
bool cancelled = false;
bool answer = false;
int served = 0;
std::vector<std::pair<std::string, std::string>> offered;

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

void onSend(void*, zwlr_data_control_source_v1*, const char* mime, int32_t fd)
{
    if (!answer)
        return; // left open: the reader waits for data that never comes
    for (const auto& [type, bytes] : offered) {
        for (size_t at = 0; type == mime && at < bytes.size();) {
            const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
            if (n <= 0)
                break; // the reader stopped reading
            at += size_t(n);
        }
    }
    close(fd);
    ++served;
}
void onCancelled(void*, zwlr_data_control_source_v1*)
{
    cancelled = true;
}
const zwlr_data_control_source_v1_listener sourceListener = {onSend, onCancelled};

void offer(wl_display* display, zwlr_data_control_device_v1* device)
{
    zwlr_data_control_source_v1* source = zwlr_data_control_manager_v1_create_data_source(manager);
    for (const auto& [type, bytes] : offered)
        zwlr_data_control_source_v1_offer(source, type.c_str());
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, nullptr);
    zwlr_data_control_device_v1_set_selection(device, source);
    wl_display_roundtrip(display);
}

void print(const char* line)
{
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    const std::string mode = argc > 1 ? argv[1] : "";
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager || !seat)
        return 1;
    zwlr_data_control_device_v1* device = zwlr_data_control_manager_v1_get_data_device(manager, seat);
    answer = mode == "own" || mode == "burst";
    if (mode == "burst") {
        print("ready");
        const int count = argc > 2 ? std::atoi(argv[2]) : 0;
        for (int i = 1; i <= count; ++i) {
            const std::string text = "burst " + std::to_string(i);
            offered = {{"text/plain;charset=utf-8", text}, {"text/plain", text}};
            served = 0;
            offer(display, device);
            while (served == 0 && wl_display_dispatch(display) >= 0) {
            }
        }
        print("done");
        cancelled = false; // a source replaced by our own next one was cancelled too
    } else {
        for (int i = 2; mode == "own" && i < argc; ++i) {
            const std::string arg = argv[i];
            const size_t eq = arg.find('=');
            std::ifstream file(arg.substr(eq + 1), std::ios::binary);
            offered.emplace_back(arg.substr(0, eq), std::string(std::istreambuf_iterator<char>(file), {}));
        }
        if (offered.empty())
            offered = {{"text/plain", ""}};
        offer(display, device);
        print("ready");
    }
    while (!cancelled && wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
