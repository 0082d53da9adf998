#include "platform/wayland/WaylandDataControl.h"

#include <cstring>

#include <wayland-client-core.h>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

// The opcodes are taken from the wlr protocol; the ext one must agree, request by request.
static_assert(ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
              EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY == EXT_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION == EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION ==
              EXT_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION);
static_assert(ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY == EXT_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(ZWLR_DATA_CONTROL_SOURCE_V1_OFFER == EXT_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY == EXT_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE == EXT_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(ZWLR_DATA_CONTROL_OFFER_V1_DESTROY == EXT_DATA_CONTROL_OFFER_V1_DESTROY);
// The listeners here stand for the generated ones: same members, same order.
static_assert(sizeof(WaylandDataControl::DeviceListener) == sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(WaylandDataControl::DeviceListener) == sizeof(ext_data_control_device_v1_listener));
static_assert(sizeof(WaylandDataControl::SourceListener) == sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(WaylandDataControl::OfferListener) == sizeof(zwlr_data_control_offer_v1_listener));

void request(wl_proxy* proxy, uint32_t opcode, auto... args)
{
    wl_proxy_marshal_flags(proxy, opcode, nullptr, wl_proxy_get_version(proxy), 0, args...);
}

void destroy(wl_proxy* proxy, uint32_t opcode)
{
    wl_proxy_marshal_flags(proxy, opcode, nullptr, wl_proxy_get_version(proxy), WL_MARSHAL_FLAG_DESTROY);
}

} // namespace

const WaylandDataControl* WaylandDataControl::forGlobal(const char* global)
{
    static constexpr WaylandDataControl ext(
        "ext_data_control_manager_v1", &ext_data_control_manager_v1_interface,
        &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface, 1, 1);
    static constexpr WaylandDataControl wlr(
        "zwlr_data_control_manager_v1", &zwlr_data_control_manager_v1_interface,
        &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface, 2,
        ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION);
    for (const WaylandDataControl* protocol : {&ext, &wlr}) {
        if (std::strcmp(global, protocol->m_global) == 0)
            return protocol;
    }
    return nullptr;
}

wl_proxy* WaylandDataControl::createSource(wl_proxy* manager) const
{
    return wl_proxy_marshal_flags(manager, ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE, m_source,
                                  wl_proxy_get_version(manager), 0, nullptr);
}

wl_proxy* WaylandDataControl::getDevice(wl_proxy* manager, wl_proxy* seat) const
{
    return wl_proxy_marshal_flags(manager, ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE, m_device,
                                  wl_proxy_get_version(manager), 0, nullptr, seat);
}

void WaylandDataControl::destroyManager(wl_proxy* manager) const
{
    destroy(manager, ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
}

void WaylandDataControl::setSelection(wl_proxy* device, wl_proxy* source) const
{
    request(device, ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION, source);
}

void WaylandDataControl::setPrimarySelection(wl_proxy* device, wl_proxy* source) const
{
    request(device, ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION, source);
}

void WaylandDataControl::destroyDevice(wl_proxy* device) const
{
    destroy(device, ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
}

void WaylandDataControl::offer(wl_proxy* source, const char* mimeType) const
{
    request(source, ZWLR_DATA_CONTROL_SOURCE_V1_OFFER, mimeType);
}

void WaylandDataControl::destroySource(wl_proxy* source) const
{
    destroy(source, ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
}

void WaylandDataControl::receive(wl_proxy* offer, const char* mimeType, int fd) const
{
    request(offer, ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE, mimeType, fd);
}

void WaylandDataControl::destroyOffer(wl_proxy* offer) const
{
    destroy(offer, ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
}

void WaylandDataControl::listen(wl_proxy* proxy, const DeviceListener* listener, void* data)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<DeviceListener*>(listener)),
                          data);
}

void WaylandDataControl::listen(wl_proxy* proxy, const SourceListener* listener, void* data)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<SourceListener*>(listener)),
                          data);
}

void WaylandDataControl::listen(wl_proxy* proxy, const OfferListener* listener, void* data)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<OfferListener*>(listener)),
                          data);
}
