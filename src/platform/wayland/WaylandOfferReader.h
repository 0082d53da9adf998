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
    /// happened that the predicates below tell.
    using Wait = std::function<bool(int fd, Clock::time_point deadline)>;
    /// Whether the offer is gone: the selection changed hands since the read began.
    using Replaced = std::function<bool()>;
    /// Whether the worker stops.
    using Stopping = std::function<bool()>;

    /// A transfer already asked for is read to its end even once the offer was `replaced`: the
    /// owner may well have sent it all, and a quick next copy must not lose this one. Only the
    /// transfers not yet begun are given up then, as the offer no longer exists.
    WaylandOfferReader(WaylandSelectionSession& session, wl_proxy* offer, Wait wait, Replaced replaced,
                       Stopping stopping);

    std::optional<QStringList> formats(Outcome* outcome) override;
    Result fetch(const QString& format) override;
    /// Whether a transfer was not begun because the offer had been replaced: the snapshot built
    /// then is a part of one, not what the owner offered.
    bool gaveUp() const { return m_gaveUp; }

private:
    WaylandSelectionSession& m_session;
    wl_proxy* m_offer;
    Wait m_wait;
    Replaced m_replaced;
    Stopping m_stopping;
    bool m_gaveUp = false;
};
