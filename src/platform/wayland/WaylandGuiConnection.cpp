#include "platform/wayland/WaylandGuiConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <wayland-client.h>

using namespace Qt::StringLiterals;

namespace {

void markDone(void* data, wl_callback* callback, uint32_t)
{
    *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
}

const wl_callback_listener doneListener = {markDone};

} // namespace

WaylandGuiConnection::WaylandGuiConnection(int setupTimeoutMs, QObject* parent) : QObject(parent)
{
    m_display = wl_display_connect(nullptr);
    if (!m_display) {
        m_error = u"sem conexão com o compositor Wayland"_s;
        return;
    }
    if (!setUp(setupTimeoutMs))
        return;
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandGuiConnection::readEvents);
}

WaylandGuiConnection::~WaylandGuiConnection()
{
    delete m_notifier;
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
}

bool WaylandGuiConnection::isConnected() const
{
    return m_display && m_error.isEmpty();
}

void WaylandGuiConnection::handleGlobal(void* data, wl_registry*, uint32_t name, const char* interface,
                                        uint32_t version)
{
    auto* self = static_cast<WaylandGuiConnection*>(data);
    self->m_globals.append({name, QString::fromUtf8(interface), version});
}

void WaylandGuiConnection::handleGlobalRemove(void* data, wl_registry*, uint32_t name)
{
    auto* self = static_cast<WaylandGuiConnection*>(data);
    self->m_globals.removeIf([name](const Global& global) { return global.name == name; });
}

bool WaylandGuiConnection::setUp(int timeoutMs)
{
    static const wl_registry_listener listener = {handleGlobal, handleGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    bool done = false;
    wl_callback_add_listener(wl_display_sync(m_display), &doneListener, &done);
    // Like wl_display_roundtrip, but a compositor that does not answer cannot hang the start-up.
    const QDeadlineTimer deadline(timeoutMs);
    while (!done) {
        while (wl_display_prepare_read(m_display) != 0)
            wl_display_dispatch_pending(m_display);
        wl_display_flush(m_display);
        pollfd fd = {wl_display_get_fd(m_display), POLLIN, 0};
        const int ready = ::poll(&fd, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready <= 0) {
            wl_display_cancel_read(m_display);
            if (ready < 0 && errno == EINTR)
                continue;
            m_error = u"o compositor Wayland não respondeu"_s;
            return false;
        }
        if (wl_display_read_events(m_display) != 0 || wl_display_dispatch_pending(m_display) < 0)
            return checkError();
    }
    if (!checkError())
        return false;
    if (void* seat = bind(&wl_seat_interface, 1))
        m_seat = static_cast<wl_seat*>(seat);
    return true;
}

const WaylandGuiConnection::Global* WaylandGuiConnection::global(const wl_interface* interface) const
{
    const QString name = QString::fromUtf8(interface->name);
    const auto found = std::find_if(m_globals.cbegin(), m_globals.cend(),
                                    [&name](const Global& global) { return global.interface == name; });
    return found == m_globals.cend() ? nullptr : &*found;
}

void* WaylandGuiConnection::bind(const wl_interface* interface, uint32_t version)
{
    const Global* offered = isConnected() ? global(interface) : nullptr;
    return offered ? wl_registry_bind(m_registry, offered->name, interface, std::min(version, offered->version))
                   : nullptr;
}

bool WaylandGuiConnection::offers(const wl_interface* interface) const
{
    return global(interface) != nullptr;
}

bool WaylandGuiConnection::flush()
{
    if (!isConnected())
        return false;
    // A full socket buffer is sent when the compositor has read some: the requests are queued.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        m_error =
            u"a conexão com o compositor Wayland caiu: "_s + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return checkError();
}

void WaylandGuiConnection::readEvents()
{
    // The socket is readable, so neither the read nor the dispatch waits.
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) != 0) {
            checkError();
            return;
        }
    }
    if (wl_display_dispatch_pending(m_display) < 0) {
        checkError();
        return;
    }
    flush();
}

bool WaylandGuiConnection::checkError()
{
    const int error = wl_display_get_error(m_display);
    if (error == 0)
        return true;
    if (m_error.isEmpty()) {
        m_error = error == EPROTO ? u"o compositor Wayland recusou um pedido"_s
                                  : u"a conexão com o compositor Wayland caiu: "_s +
                                        QString::fromLocal8Bit(std::strerror(error));
    }
    // A dead connection stays readable: stop listening instead of spinning.
    if (m_notifier)
        m_notifier->setEnabled(false);
    return false;
}
