#pragma once

#include <chrono>
#include <functional>

#include "platform/ClipboardSnapshotBuilder.h"

struct wl_proxy;
class WaylandSelectionSession;

/// One snapshot's transfers from another client's offer, each through a pipe that the owner
/// writes into while the worker thread goes on dispatching the compositor's events.
class WaylandOfferReader : public ClipboardTransfer
{
public:
    using Clock = std::chrono::steady_clock;
    /// Waits until `fd` is readable (true) or `deadline` passed (false), or something else
    /// happened that `interrupted` tells.
    using Wait = std::function<bool(int fd, Clock::time_point deadline)>;
    /// Whether the read is to be given up: the selection changed, or the worker stops.
    using Interrupted = std::function<bool()>;

    WaylandOfferReader(WaylandSelectionSession& session, wl_proxy* offer, Wait wait, Interrupted interrupted);

    std::optional<QStringList> formats(Outcome* outcome) override;
    Result fetch(const QString& format) override;

private:
    WaylandSelectionSession& m_session;
    wl_proxy* m_offer;
    Wait m_wait;
    Interrupted m_interrupted;
};
