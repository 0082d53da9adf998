#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QList>

#include "platform/ClipboardService.h"

struct pollfd;
struct wl_callback;
struct wl_proxy;
class WaylandSelectionSession;

/// Sets the selections Ovelin writes, as data-control sources, and answers the clients that
/// read them: each answer is written as its reader takes it, never blocking the worker thread.
class WaylandSourceWriter
{
public:
    using Clock = std::chrono::steady_clock;

    /// What Ovelin offers: each MIME type with its bytes, in the order offered.
    struct Content
    {
        QList<std::pair<QByteArray, QByteArray>> formats;
        // STRING holds the UTF-8 text, turned into Latin-1 only for a reader that asks for it: a
        // large text is not converted on the GUI thread for a name few readers use.
        bool stringFromUtf8 = false;

        /// The formats of `content`; readers that know the X11 names of text find it under
        /// them too, as on X11.
        static Content of(const ClipboardContent& content);
        bool isEmpty() const { return formats.isEmpty(); }
        bool offers(const QByteArray& type) const;
        std::optional<QByteArray> data(const QByteArray& type) const;
    };

    /// Told once the compositor has taken a selection set(): `ours` is its content when it is
    /// still the clipboard selection then, null otherwise (replaced, cleared, or the primary).
    using Taken = std::function<void(std::shared_ptr<const Content> ours, quint64 ticket)>;

    WaylandSourceWriter(WaylandSelectionSession& session, Taken taken);
    /// Withdraws every source and gives up the answers not yet written.
    ~WaylandSourceWriter();
    WaylandSourceWriter(const WaylandSourceWriter&) = delete;
    WaylandSourceWriter& operator=(const WaylandSourceWriter&) = delete;

    /// Ovelin's own content, read from memory: asking the compositor would have the thread that
    /// answers waiting for itself.
    static ClipboardSnapshot snapshot(const Content& content);

    /// Offers `content` as the clipboard (or primary) selection; empty content clears it.
    void set(Content content, bool primary, quint64 ticket);
    /// Whether a selection set is not yet known to be taken: what is offered may be about to
    /// change, so the selection is read once it is.
    bool settling() const { return !m_syncs.empty(); }
    /// Adds the readers still being answered to `fds`, and brings `until` forward to the time
    /// the slowest of them is given up.
    void addAnswers(std::vector<pollfd>& fds, Clock::time_point& until) const;
    /// Writes to each reader as much as it takes.
    void feedReaders();

private:
    struct Source
    {
        wl_proxy* proxy = nullptr;
        std::shared_ptr<const Content> content;
    };
    struct Outgoing
    {
        int fd;
        QByteArray bytes;
        qsizetype written = 0;
        Clock::time_point deadline;
    };
    struct Sync
    {
        quint64 source; // 0: not the clipboard, or cleared
        quint64 ticket;
    };

    Source* findSource(wl_proxy* proxy);

    static void onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd);
    static void onCancelled(void* data, wl_proxy* source);
    static void onSyncDone(void* data, wl_callback* callback, uint32_t);

    WaylandSelectionSession& m_session;
    Taken m_taken;
    std::map<quint64, Source> m_sources;
    quint64 m_lastSource = 0;
    std::map<wl_callback*, Sync> m_syncs; // answers awaited for the selections set
    std::vector<Outgoing> m_outgoing;
};
