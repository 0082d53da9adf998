#pragma once

#include <cstdint>

struct wl_interface;
struct wl_proxy;

/// The two data-control protocols, ext_data_control_v1 and wlr_data_control_unstable_v1 (v2),
/// are the same on the wire: the same requests and events in the same order with the same
/// arguments, under other names. One set of calls serves both; only the interfaces differ.
class WaylandDataControl
{
public:
    /// The protocol whose manager global is named `global`; null for any other name.
    static const WaylandDataControl* forGlobal(const char* global);

    /// Device events, in their wire order; `data` is the pointer given to listen().
    struct DeviceListener
    {
        void (*dataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*selection)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*finished)(void* data, wl_proxy* device);
        void (*primarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
    };
    struct SourceListener
    {
        void (*send)(void* data, wl_proxy* source, const char* mimeType, int32_t fd);
        void (*cancelled)(void* data, wl_proxy* source);
    };
    struct OfferListener
    {
        void (*offer)(void* data, wl_proxy* offer, const char* mimeType);
    };

    const char* globalName() const { return m_global; }
    const wl_interface* managerInterface() const { return m_manager; }
    /// The highest manager version used.
    uint32_t maxVersion() const { return m_maxVersion; }
    /// Whether a manager bound at `version` can set the primary selection.
    bool hasPrimarySelection(uint32_t version) const { return version >= m_primarySince; }

    wl_proxy* createSource(wl_proxy* manager) const;
    wl_proxy* getDevice(wl_proxy* manager, wl_proxy* seat) const;
    void destroyManager(wl_proxy* manager) const;

    void setSelection(wl_proxy* device, wl_proxy* source) const;
    void setPrimarySelection(wl_proxy* device, wl_proxy* source) const;
    void destroyDevice(wl_proxy* device) const;

    void offer(wl_proxy* source, const char* mimeType) const;
    void destroySource(wl_proxy* source) const;

    void receive(wl_proxy* offer, const char* mimeType, int fd) const;
    void destroyOffer(wl_proxy* offer) const;

    static void listen(wl_proxy* proxy, const DeviceListener* listener, void* data);
    static void listen(wl_proxy* proxy, const SourceListener* listener, void* data);
    static void listen(wl_proxy* proxy, const OfferListener* listener, void* data);

private:
    constexpr WaylandDataControl(const char* global, const wl_interface* manager, const wl_interface* device,
                                 const wl_interface* source, uint32_t maxVersion, uint32_t primarySince)
        : m_global(global), m_manager(manager), m_device(device), m_source(source), m_maxVersion(maxVersion),
          m_primarySince(primarySince)
    {
    }

    const char* m_global;
    const wl_interface* m_manager;
    const wl_interface* m_device;
    const wl_interface* m_source;
    uint32_t m_maxVersion;
    uint32_t m_primarySince;
};
