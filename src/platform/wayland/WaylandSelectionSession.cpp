#include "platform/wayland/WaylandSelectionSession.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>

#include <wayland-client.h>

#include "common/Console.h"
#include "platform/SelectionWorker.h"
#include "platform/wayland/WaylandDataControl.h"

namespace {

struct Globals
{
    wl_proxy* seat = nullptr;
    uint32_t seatName = 0;
    wl_proxy* manager = nullptr;
    const WaylandDataControl* protocol = nullptr;
    uint32_t managerVersion = 0;
};

// Binds the first seat and the preferred data-control manager (ext over wlr).
void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
        globals->seat = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        globals->seatName = name;
        return;
    }
    const WaylandDataControl* protocol = WaylandDataControl::forGlobal(interface);
    const bool haveExt =
        globals->protocol && std::strcmp(globals->protocol->globalName(), "ext_data_control_manager_v1") == 0;
    if (!protocol || haveExt)
        return;
    if (globals->manager)
        globals->protocol->destroyManager(globals->manager);
    globals->managerVersion = std::min(version, protocol->maxVersion());
    globals->manager = static_cast<wl_proxy*>(
        wl_registry_bind(registry, name, protocol->managerInterface(), globals->managerVersion));
    globals->protocol = protocol;
}

void onGlobalRemove(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

constexpr WaylandDataControl::OfferListener offerListener = {[](void* data, wl_proxy*, const char* mimeType) {
    static_cast<QStringList*>(data)->append(QString::fromUtf8(mimeType));
}};

} // namespace

std::optional<QString> WaylandSelectionSession::probeProtocol()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return std::nullopt;
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    std::optional<QString> name;
    if (globals.manager) {
        name = QString::fromLatin1(globals.protocol->globalName());
        globals.protocol->destroyManager(globals.manager);
    }
    if (globals.seat)
        wl_proxy_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return name;
}

WaylandSelectionSession::WaylandSelectionSession(Events events) : m_events(std::move(events))
{
}

WaylandSelectionSession::~WaylandSelectionSession()
{
    release();
}

bool WaylandSelectionSession::connect()
{
    m_display = wl_display_connect(nullptr);
    if (!m_display) {
        ovelin::printLine(
            QStringLiteral("❌ Sem conexão com o compositor Wayland para ler a área de transferência"));
        return false;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(m_display);
    // Globals announced later (an output plugged in, another seat) are not used: without the
    // registry their events are dropped instead of reaching `globals`, gone by then.
    wl_registry_destroy(registry);
    m_seat = globals.seat;
    m_manager = globals.manager;
    m_protocol = globals.protocol;
    m_managerVersion = globals.managerVersion;
    if (!m_seat || !m_manager) {
        // Nothing to watch: an idle connection would only pile up the compositor's events.
        release();
        return false;
    }
    static constexpr WaylandDataControl::DeviceListener deviceListener = {onDataOffer, onSelection,
                                                                          onFinished, onPrimarySelection};
    m_device = m_protocol->getDevice(m_manager, m_seat);
    WaylandDataControl::listen(m_device, &deviceListener, this);
    // The device's first event names the current selection.
    wl_display_roundtrip(m_display);
    return true;
}

void WaylandSelectionSession::release()
{
    for (auto& [proxy, offer] : m_offers)
        m_protocol->destroyOffer(proxy);
    m_offers.clear();
    m_selection = nullptr;
    if (m_device)
        m_protocol->destroyDevice(m_device);
    if (m_manager)
        m_protocol->destroyManager(m_manager);
    if (m_seat)
        wl_proxy_destroy(m_seat);
    if (m_display) {
        wl_display_flush(m_display);
        wl_display_disconnect(m_display);
    }
    m_device = m_manager = m_seat = nullptr;
    m_display = nullptr;
}

bool WaylandSelectionSession::wait(SelectionWorker& worker, std::vector<pollfd>& fds,
                                   Clock::time_point deadline)
{
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        return false;
    }
    std::vector<pollfd> all{{wl_display_get_fd(m_display), POLLIN, 0}};
    all.insert(all.end(), fds.begin(), fds.end());
    worker.wait(all, deadline);
    std::copy(all.begin() + 1, all.end(), fds.begin());

    if (all[0].revents & (POLLIN | POLLERR | POLLHUP)) {
        if (wl_display_read_events(m_display) < 0)
            return false;
    } else {
        wl_display_cancel_read(m_display);
    }
    return wl_display_dispatch_pending(m_display) >= 0;
}

void WaylandSelectionSession::dropOffer(wl_proxy* offer)
{
    m_protocol->destroyOffer(offer);
    m_offers.erase(offer);
}

// Listeners, called from wl_display_dispatch_pending on the worker thread.

void WaylandSelectionSession::onDataOffer(void* data, wl_proxy*, wl_proxy* offer)
{
    auto* self = static_cast<WaylandSelectionSession*>(data);
    self->m_offers[offer] = {};
    WaylandDataControl::listen(offer, &offerListener, &self->m_offers[offer].types);
}

void WaylandSelectionSession::onSelection(void* data, wl_proxy*, wl_proxy* offer)
{
    auto* self = static_cast<WaylandSelectionSession*>(data);
    if (self->m_selection)
        self->dropOffer(self->m_selection);
    self->m_selection = offer;
    self->m_events.selectionReplaced();
}

void WaylandSelectionSession::onPrimarySelection(void* data, wl_proxy*, wl_proxy* offer)
{
    if (offer)
        static_cast<WaylandSelectionSession*>(data)->dropOffer(offer);
}

void WaylandSelectionSession::onFinished(void* data, wl_proxy*)
{
    auto* self = static_cast<WaylandSelectionSession*>(data);
    if (self->m_selection)
        self->dropOffer(self->m_selection);
    self->m_selection = nullptr;
    self->m_events.finished();
}
