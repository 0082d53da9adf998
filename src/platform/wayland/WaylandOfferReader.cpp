#include "platform/wayland/WaylandOfferReader.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <wayland-client.h>

#include "platform/wayland/WaylandClipboardService.h"
#include "platform/wayland/WaylandDataControl.h"
#include "platform/wayland/WaylandSelectionSession.h"

WaylandOfferReader::WaylandOfferReader(WaylandSelectionSession& session, wl_proxy* offer, Wait wait,
                                       Replaced replaced, Stopping stopping)
    : m_session(session), m_offer(offer), m_wait(std::move(wait)), m_replaced(std::move(replaced)),
      m_stopping(std::move(stopping))
{
}

std::optional<QStringList> WaylandOfferReader::formats(Outcome* outcome)
{
    *outcome = Outcome::Done;
    return m_session.offeredTypes(m_offer);
}

ClipboardTransfer::Result WaylandOfferReader::fetch(const QString& format)
{
    constexpr auto timeout = std::chrono::milliseconds(WaylandClipboardService::transferTimeoutMs);
    // The offer of a replaced selection has been destroyed: nothing more can be asked of it.
    if (m_replaced() || m_stopping()) {
        m_gaveUp = true;
        return {Outcome::Interrupted, {}};
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {Outcome::Refused, {}};
    // Only our end is non-blocking; the owner gets an ordinary pipe.
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    m_session.protocol().receive(m_offer, format.toUtf8().constData(), fds[1]);
    wl_display_flush(m_session.display());
    close(fds[1]);

    QByteArray data;
    Outcome outcome = Outcome::Done;
    auto deadline = Clock::now() + timeout;
    for (;;) {
        char chunk[65536];
        const ssize_t got = ::read(fds[0], chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got > 0) {
            if (data.size() + got > maxFormatBytes) {
                outcome = Outcome::TooLarge;
                break;
            }
            data.append(chunk, got);
            deadline = Clock::now() + timeout;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            outcome = Outcome::Refused;
            break;
        }
        if (!m_wait(fds[0], deadline)) {
            outcome = Outcome::TimedOut;
            break;
        }
        // A new selection does not end this transfer: the pipe is the owner's answer to us, and
        // it ends at its end of data or at the time-out.
        if (m_stopping()) {
            outcome = Outcome::Interrupted;
            break;
        }
    }
    close(fds[0]);
    if (outcome != Outcome::Done)
        return {outcome, {}};
    return {Outcome::Done, std::move(data)};
}
