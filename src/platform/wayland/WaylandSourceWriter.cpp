#include "platform/wayland/WaylandSourceWriter.h"

#include <algorithm>
#include <cerrno>

#include <QBuffer>
#include <QImage>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <wayland-client.h>

#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/wayland/WaylandClipboardService.h"
#include "platform/wayland/WaylandDataControl.h"
#include "platform/wayland/WaylandSelectionSession.h"

namespace {

constexpr auto transferTimeout = std::chrono::milliseconds(WaylandClipboardService::transferTimeoutMs);

class OwnTransfer : public ClipboardTransfer
{
public:
    explicit OwnTransfer(const WaylandSourceWriter::Content& content) : m_content(content) {}

    std::optional<QStringList> formats(Outcome* outcome) override
    {
        *outcome = Outcome::Done;
        QStringList types;
        for (const auto& format : m_content.formats)
            types.append(QString::fromUtf8(format.first));
        return types;
    }

    Result fetch(const QString& format) override
    {
        if (auto bytes = m_content.data(format.toUtf8()))
            return {Outcome::Done, std::move(*bytes)};
        return {Outcome::Refused, {}};
    }

private:
    const WaylandSourceWriter::Content& m_content;
};

} // namespace

WaylandSourceWriter::Content WaylandSourceWriter::Content::of(const ClipboardContent& content)
{
    Content own;
    for (const auto& [format, bytes] : content.formats) {
        if (!own.offers(format.toUtf8()))
            own.formats.append({format.toUtf8(), bytes});
    }
    if (const auto utf8 = own.data("text/plain")) {
        for (const char* alias : {"text/plain;charset=utf-8", "UTF8_STRING", "TEXT"}) {
            if (!own.offers(alias))
                own.formats.append({alias, *utf8});
        }
        if (!own.offers("STRING")) {
            own.formats.append({"STRING", *utf8});
            own.stringFromUtf8 = true;
        }
    }
    if (content.image && !own.offers("image/png")) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (content.image->save(&buffer, "PNG"))
            own.formats.append({"image/png", png});
    }
    return own;
}

bool WaylandSourceWriter::Content::offers(const QByteArray& type) const
{
    return std::any_of(formats.cbegin(), formats.cend(), [&](const auto& f) { return f.first == type; });
}

std::optional<QByteArray> WaylandSourceWriter::Content::data(const QByteArray& type) const
{
    for (const auto& [offered, bytes] : formats) {
        if (offered == type)
            return type == "STRING" && stringFromUtf8 ? QString::fromUtf8(bytes).toLatin1() : bytes;
    }
    return std::nullopt;
}

WaylandSourceWriter::WaylandSourceWriter(WaylandSelectionSession& session, Taken taken)
    : m_session(session), m_taken(std::move(taken))
{
}

WaylandSourceWriter::~WaylandSourceWriter()
{
    for (auto& [id, source] : m_sources)
        m_session.protocol().destroySource(source.proxy);
    for (const Outgoing& out : m_outgoing)
        close(out.fd);
    for (const auto& [callback, sync] : m_syncs)
        wl_callback_destroy(callback);
}

ClipboardSnapshot WaylandSourceWriter::snapshot(const Content& content)
{
    OwnTransfer transfer(content);
    return ClipboardSnapshotBuilder::build(transfer);
}

// The sync that follows the request answers (when the source is still the selection then) that
// the selection now offered is ours.
void WaylandSourceWriter::set(Content content, bool primary, quint64 ticket)
{
    static constexpr WaylandDataControl::SourceListener sourceListener = {onSend, onCancelled};
    static constexpr wl_callback_listener syncListener = {onSyncDone};
    const WaylandDataControl& protocol = m_session.protocol();
    quint64 id = 0;
    wl_proxy* source = nullptr;
    if (!content.isEmpty()) {
        source = protocol.createSource(m_session.manager());
        id = ++m_lastSource;
        auto shared = std::make_shared<const Content>(std::move(content));
        for (const auto& format : shared->formats)
            protocol.offer(source, format.first.constData());
        WaylandDataControl::listen(source, &sourceListener, this);
        m_sources[id] = {source, shared};
    }
    if (primary)
        protocol.setPrimarySelection(m_session.device(), source);
    else
        protocol.setSelection(m_session.device(), source);
    wl_callback* callback = wl_display_sync(m_session.display());
    wl_callback_add_listener(callback, &syncListener, this);
    m_syncs[callback] = {primary ? 0 : id, ticket};
}

void WaylandSourceWriter::addAnswers(std::vector<pollfd>& fds, Clock::time_point& until) const
{
    for (const Outgoing& out : m_outgoing) {
        fds.push_back({out.fd, POLLOUT, 0});
        until = std::min(until, out.deadline);
    }
}

void WaylandSourceWriter::feedReaders()
{
    const auto now = Clock::now();
    for (auto it = m_outgoing.begin(); it != m_outgoing.end();) {
        bool finished = false;
        for (;;) {
            if (it->written == it->bytes.size()) {
                finished = true;
                break;
            }
            const ssize_t put = ::write(it->fd, it->bytes.constData() + it->written,
                                        static_cast<size_t>(it->bytes.size() - it->written));
            if (put > 0) {
                it->written += put;
                it->deadline = now + transferTimeout;
                continue;
            }
            if (put < 0 && errno == EINTR)
                continue;
            // A reader that stopped reading for long, or went away, is given up.
            finished = (put < 0 && errno != EAGAIN) || now >= it->deadline;
            break;
        }
        if (finished) {
            close(it->fd);
            it = m_outgoing.erase(it);
        } else {
            ++it;
        }
    }
}

WaylandSourceWriter::Source* WaylandSourceWriter::findSource(wl_proxy* proxy)
{
    for (auto& [id, source] : m_sources) {
        if (source.proxy == proxy)
            return &source;
    }
    return nullptr;
}

// Listeners, called from wl_display_dispatch_pending on the worker thread.

void WaylandSourceWriter::onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd)
{
    auto* self = static_cast<WaylandSourceWriter*>(data);
    const Source* found = self->findSource(source);
    std::optional<QByteArray> bytes = found ? found->content->data(mimeType) : std::nullopt;
    if (!bytes) {
        close(fd);
        return;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    self->m_outgoing.push_back({fd, std::move(*bytes), 0, Clock::now() + transferTimeout});
}

void WaylandSourceWriter::onCancelled(void* data, wl_proxy* source)
{
    auto* self = static_cast<WaylandSourceWriter*>(data);
    for (auto it = self->m_sources.begin(); it != self->m_sources.end(); ++it) {
        if (it->second.proxy == source) {
            self->m_session.protocol().destroySource(source);
            self->m_sources.erase(it);
            return;
        }
    }
}

void WaylandSourceWriter::onSyncDone(void* data, wl_callback* callback, uint32_t)
{
    auto* self = static_cast<WaylandSourceWriter*>(data);
    const Sync sync = self->m_syncs.at(callback);
    self->m_syncs.erase(callback);
    wl_callback_destroy(callback);
    // Still the selection: the compositor has announced it by now, as the latest one.
    const auto found = self->m_sources.find(sync.source);
    self->m_taken(found != self->m_sources.end() ? found->second.content : nullptr, sync.ticket);
}
