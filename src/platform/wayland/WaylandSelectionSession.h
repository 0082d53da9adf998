#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

struct pollfd;
struct wl_display;
struct wl_proxy;
class SelectionWorker;
class WaylandDataControl;

/// The clipboard's own connection to the compositor: the first seat, its data-control device, and
/// the offers other clients announce through it. Once connected it is used on the worker thread
/// only.
class WaylandSelectionSession
{
public:
    using Clock = std::chrono::steady_clock;

    /// What the device's events mean to the clipboard; called while events are dispatched.
    struct Events
    {
        /// Another client's offer, or none, is the selection now.
        std::function<void()> selectionReplaced;
        /// The seat went away: nothing more will be offered through this device.
        std::function<void()> finished;
    };

    /// The data-control global the compositor of WAYLAND_DISPLAY offers (ext preferred), asked
    /// over a short-lived connection of its own.
    static std::optional<QString> probeProtocol();

    explicit WaylandSelectionSession(Events events);
    ~WaylandSelectionSession();
    WaylandSelectionSession(const WaylandSelectionSession&) = delete;
    WaylandSelectionSession& operator=(const WaylandSelectionSession&) = delete;

    /// Binds the seat's device and waits for its first events; false without a compositor (said
    /// on standard output) or without data-control, and then nothing is kept open.
    bool connect();

    bool connected() const { return m_device != nullptr; }
    const WaylandDataControl& protocol() const { return *m_protocol; }
    uint32_t managerVersion() const { return m_managerVersion; }
    wl_display* display() const { return m_display; }
    wl_proxy* manager() const { return m_manager; }
    wl_proxy* device() const { return m_device; }

    /// The offer of the current selection; null when it is empty.
    wl_proxy* selection() const { return m_selection; }
    /// The MIME types `offer` announced.
    const QStringList& offeredTypes(wl_proxy* offer) const { return m_offers.at(offer).types; }

    /// Waits as SelectionWorker::wait does, on the connection too, and dispatches the compositor's
    /// events that came. False when the connection broke.
    bool wait(SelectionWorker& worker, std::vector<pollfd>& fds, Clock::time_point deadline);

private:
    struct Offer
    {
        QStringList types;
    };

    void release();
    void dropOffer(wl_proxy* offer);

    static void onDataOffer(void* data, wl_proxy* device, wl_proxy* offer);
    static void onSelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onPrimarySelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onFinished(void* data, wl_proxy* device);

    Events m_events;
    wl_display* m_display = nullptr;
    wl_proxy* m_seat = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    const WaylandDataControl* m_protocol = nullptr;
    uint32_t m_managerVersion = 0;
    std::map<wl_proxy*, Offer> m_offers;
    wl_proxy* m_selection = nullptr;
};
