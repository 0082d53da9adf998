#include "platform/wayland/WaylandPlatform.h"

namespace ovelin::wayland {

const PlatformServices& platformServices()
{
    static const PlatformServices services{};
    return services;
}

WaylandCapabilityService::Built builtCapabilities()
{
    const PlatformServices& services = platformServices();
    WaylandCapabilityService::Built built;
    built.clipboard = services.clipboard != nullptr;
    built.paste = services.keyEventPoster != nullptr;
    built.frontmostApplication = services.frontmostApplication != nullptr;
    return built;
}

} // namespace ovelin::wayland
