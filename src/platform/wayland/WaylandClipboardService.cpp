#include "platform/wayland/WaylandClipboardService.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <wayland-client.h>

#include "common/Console.h"
#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/QtClipboardWriter.h"
#include "platform/wayland/WaylandDataControl.h"

namespace {

using Clock = std::chrono::steady_clock;

// What Ovelin offers: each MIME type with its bytes, in the order offered.
struct OwnContent
{
    QList<std::pair<QByteArray, QByteArray>> formats;
    // STRING holds the UTF-8 text, turned into Latin-1 only for a reader that asks for it: a
    // large text is not converted on the GUI thread for a name few readers use.
    bool stringFromUtf8 = false;

    bool isEmpty() const { return formats.isEmpty(); }
    bool offers(const QByteArray& type) const
    {
        return std::any_of(formats.cbegin(), formats.cend(), [&](const auto& f) { return f.first == type; });
    }
    std::optional<QByteArray> data(const QByteArray& type) const
    {
        for (const auto& [offered, bytes] : formats) {
            if (offered == type)
                return type == "STRING" && stringFromUtf8 ? QString::fromUtf8(bytes).toLatin1() : bytes;
        }
        return std::nullopt;
    }
};

// Readers that know the X11 names of text find it under them too, as on X11.
OwnContent ownContent(const ClipboardContent& content)
{
    OwnContent own;
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

// Ovelin's own offer is read from memory: asking the compositor would have the thread that
// answers waiting for itself.
class OwnTransfer : public ClipboardTransfer
{
public:
    explicit OwnTransfer(const OwnContent& content) : m_content(content) {}

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
    const OwnContent& m_content;
};

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

} // namespace

std::optional<QString> WaylandClipboardService::dataControlProtocol()
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

class WaylandClipboardService::Worker
{
public:
    explicit Worker(WaylandClipboardService* owner) : m_owner(owner), m_wakeFd(eventfd(0, EFD_CLOEXEC))
    {
        if (!connect())
            return;
        m_thread = std::thread([this] { run(); });
    }

    ~Worker()
    {
        m_stopping = true;
        wake();
        if (m_thread.joinable())
            m_thread.join();
        release();
        if (m_wakeFd >= 0)
            close(m_wakeFd);
    }

    std::optional<QString> protocol() const
    {
        if (!m_device)
            return std::nullopt;
        return QString::fromLatin1(m_protocol->globalName());
    }
    bool hasPrimarySelection() const { return m_device && m_protocol->hasPrimarySelection(m_managerVersion); }
    quint64 changeCount() const { return m_changeCount; }
    bool broken() const
    {
        std::lock_guard lock(m_mutex);
        return m_broken;
    }

    // GUI thread: deliveries now go to the watch numbered `watch` (0: none), current contents first.
    void setWatch(quint64 watch)
    {
        {
            std::lock_guard lock(m_mutex);
            m_watch = watch;
            m_deliverCurrent = watch != 0;
        }
        wake();
    }

    // GUI thread: hands the content to the thread and waits until the compositor has taken it,
    // so that what is pasted next is this.
    void setSelection(OwnContent content, bool primary)
    {
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_writesAsked;
        m_writes.push_back({std::move(content), primary, ticket});
        lock.unlock();
        wake();
        lock.lock();
        m_answered.wait_for(lock, std::chrono::milliseconds(transferTimeoutMs),
                            [&] { return m_writesDone >= ticket || m_broken; });
    }

    // GUI thread: the last snapshot when nothing changed since, else a fresh one.
    ClipboardSnapshot read()
    {
        std::unique_lock lock(m_mutex);
        if (m_cachedGeneration == m_generation)
            return m_cached;
        ++m_readers;
        lock.unlock();
        wake();
        lock.lock();
        // One transfer already under way may have to end first.
        const bool answered =
            m_answered.wait_for(lock, std::chrono::milliseconds(2 * transferTimeoutMs + 500),
                                [&] { return m_cachedGeneration == m_generation || m_broken; });
        --m_readers;
        return answered && !m_broken ? m_cached : ClipboardSnapshot{};
    }

private:
    struct Offer
    {
        QStringList types;
    };
    struct Source
    {
        wl_proxy* proxy = nullptr;
        std::shared_ptr<const OwnContent> content;
    };
    // An answer to a reader of Ovelin's content, written as the reader takes it.
    struct Outgoing
    {
        int fd;
        QByteArray bytes;
        qsizetype written = 0;
        Clock::time_point deadline;
    };
    struct Write
    {
        OwnContent content;
        bool primary;
        quint64 ticket;
    };
    struct Sync
    {
        quint64 source; // 0: not the clipboard, or cleared
        quint64 ticket;
    };

    bool connect()
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
        m_device = m_protocol->getDevice(m_manager, m_seat);
        WaylandDataControl::listen(m_device, &deviceListener, this);
        // The device's first event names the current selection.
        wl_display_roundtrip(m_display);
        return true;
    }

    void release()
    {
        for (auto& [proxy, offer] : m_offers)
            m_protocol->destroyOffer(proxy);
        m_offers.clear();
        for (auto& [id, source] : m_sources)
            m_protocol->destroySource(source.proxy);
        m_sources.clear();
        for (const Outgoing& out : m_outgoing)
            close(out.fd);
        m_outgoing.clear();
        for (const auto& [callback, sync] : m_syncs)
            wl_callback_destroy(callback);
        m_syncs.clear();
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

    void wake()
    {
        const uint64_t one = 1;
        if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
            // The thread also looks at its flags between waits.
        }
    }

    void run()
    {
        // A reader that goes away mid-answer must cost an EPIPE here, not the process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

        while (!m_stopping && !m_broken) {
            if (m_syncs.empty() && readWanted()) {
                readSelection();
                continue;
            }
            pump(-1, Clock::time_point::max());
        }
    }

    // Whether the current selection has to be read: for the watch, or for read().
    bool readWanted()
    {
        std::lock_guard lock(m_mutex);
        const bool watchWants = m_watch != 0 && (m_deliverCurrent || m_deliveredGeneration != m_generation);
        return watchWants || (m_readers > 0 && m_cachedGeneration != m_generation);
    }

    void readSelection()
    {
        quint64 watch;
        bool changed;
        {
            std::lock_guard lock(m_mutex);
            watch = m_watch;
            changed = !m_deliverCurrent;
            m_deliverCurrent = false;
        }
        const quint64 generation = m_generation;
        ClipboardSnapshot snapshot;
        if (m_selectionOwn) {
            const std::shared_ptr<const OwnContent> own = m_selectionOwn;
            OwnTransfer transfer(*own);
            snapshot = ClipboardSnapshotBuilder::build(transfer);
        } else if (m_selection) {
            OfferTransfer transfer(*this, m_selection, generation);
            snapshot = ClipboardSnapshotBuilder::build(transfer);
        }
        if (m_stopping || m_broken)
            return;
        std::lock_guard lock(m_mutex);
        // A snapshot of a selection replaced meanwhile is dropped: the new one is read next.
        if (generation != m_generation)
            return;
        m_cached = snapshot;
        m_cachedGeneration = generation;
        m_answered.notify_all();
        if (watch == 0 || watch != m_watch)
            return;
        m_deliveredGeneration = generation;
        WaylandClipboardService* owner = m_owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, watch, snapshot = std::move(snapshot), changed] {
                if (owner->m_watch == watch && owner->m_handler)
                    owner->m_handler(snapshot, changed);
            },
            Qt::QueuedConnection);
    }

    // One snapshot's transfers from the offer of another client, each through a pipe.
    class OfferTransfer : public ClipboardTransfer
    {
    public:
        OfferTransfer(Worker& worker, wl_proxy* offer, quint64 generation)
            : m_worker(worker), m_offer(offer), m_generation(generation)
        {
        }

        std::optional<QStringList> formats(Outcome* outcome) override
        {
            *outcome = Outcome::Done;
            return m_worker.m_offers.at(m_offer).types;
        }

        Result fetch(const QString& format) override
        {
            return m_worker.transfer(m_offer, format, m_generation);
        }

    private:
        Worker& m_worker;
        wl_proxy* m_offer;
        quint64 m_generation;
    };

    ClipboardTransfer::Result transfer(wl_proxy* offer, const QString& format, quint64 generation)
    {
        using Outcome = ClipboardTransfer::Outcome;
        if (m_generation != generation)
            return {Outcome::Interrupted, {}};
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return {Outcome::Refused, {}};
        // Only our end is non-blocking; the owner gets an ordinary pipe.
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        m_protocol->receive(offer, format.toUtf8().constData(), fds[1]);
        wl_display_flush(m_display);
        close(fds[1]);

        QByteArray data;
        Outcome outcome = Outcome::Done;
        auto deadline = Clock::now() + std::chrono::milliseconds(transferTimeoutMs);
        for (;;) {
            char chunk[65536];
            const ssize_t got = ::read(fds[0], chunk, sizeof chunk);
            if (got == 0)
                break;
            if (got > 0) {
                if (data.size() + got > ClipboardTransfer::maxFormatBytes) {
                    outcome = Outcome::TooLarge;
                    break;
                }
                data.append(chunk, got);
                deadline = Clock::now() + std::chrono::milliseconds(transferTimeoutMs);
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN) {
                outcome = Outcome::Refused;
                break;
            }
            if (!pump(fds[0], deadline)) {
                outcome = Outcome::TimedOut;
                break;
            }
            if (m_generation != generation || m_stopping || m_broken) {
                outcome = Outcome::Interrupted;
                break;
            }
        }
        close(fds[0]);
        if (outcome != Outcome::Done)
            return {outcome, {}};
        return {Outcome::Done, std::move(data)};
    }

    // Waits until `fd` (when given) is readable, the deadline passed (false), or an event came
    // that the caller looks at. On the way it dispatches the compositor's events, takes the GUI
    // thread's writes and feeds Ovelin's readers.
    bool pump(int fd, Clock::time_point deadline)
    {
        takeWrites();
        while (wl_display_prepare_read(m_display) != 0)
            wl_display_dispatch_pending(m_display);
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            breakDown();
            return true;
        }

        std::vector<pollfd> fds{{wl_display_get_fd(m_display), POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (fd >= 0)
            fds.push_back({fd, POLLIN, 0});
        Clock::time_point until = deadline;
        for (const Outgoing& out : m_outgoing) {
            fds.push_back({out.fd, POLLOUT, 0});
            until = std::min(until, out.deadline);
        }
        int timeoutMs = -1;
        if (until != Clock::time_point::max()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            timeoutMs = static_cast<int>(std::clamp<qint64>(left + 1, 0, 60'000));
        }
        poll(fds.data(), fds.size(), timeoutMs);

        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
            if (wl_display_read_events(m_display) < 0) {
                breakDown();
                return true;
            }
        } else {
            wl_display_cancel_read(m_display);
        }
        if (wl_display_dispatch_pending(m_display) < 0) {
            breakDown();
            return true;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            if (::read(m_wakeFd, &count, sizeof count) < 0) {
                // Already drained.
            }
        }
        takeWrites();
        feedReaders();
        return fd < 0 || fds[2].revents != 0 || Clock::now() < deadline;
    }

    void breakDown()
    {
        if (!m_broken)
            ovelin::printLine(QStringLiteral(
                "❌ A conexão com o compositor Wayland caiu: a área de transferência não é mais lida"));
        std::lock_guard lock(m_mutex);
        m_broken = true;
        m_answered.notify_all();
    }

    // Sets each selection the GUI thread asked for, followed by a sync whose answer tells (when
    // the source is still the selection then) that the selection now offered is ours.
    void takeWrites()
    {
        std::vector<Write> writes;
        {
            std::lock_guard lock(m_mutex);
            writes.swap(m_writes);
        }
        for (Write& write : writes) {
            quint64 id = 0;
            wl_proxy* source = nullptr;
            if (!write.content.isEmpty()) {
                source = m_protocol->createSource(m_manager);
                id = ++m_lastSource;
                auto content = std::make_shared<const OwnContent>(std::move(write.content));
                for (const auto& format : content->formats)
                    m_protocol->offer(source, format.first.constData());
                WaylandDataControl::listen(source, &sourceListener, this);
                m_sources[id] = {source, content};
            }
            if (write.primary)
                m_protocol->setPrimarySelection(m_device, source);
            else
                m_protocol->setSelection(m_device, source);
            wl_callback* callback = wl_display_sync(m_display);
            wl_callback_add_listener(callback, &syncListener, this);
            m_syncs[callback] = {write.primary ? 0 : id, write.ticket};
        }
    }

    void feedReaders()
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
                    it->deadline = now + std::chrono::milliseconds(transferTimeoutMs);
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

    // Listeners, called from wl_display_dispatch_pending on the thread.

    static void onDataOffer(void* data, wl_proxy*, wl_proxy* offer)
    {
        auto* self = static_cast<Worker*>(data);
        self->m_offers[offer] = {};
        WaylandDataControl::listen(offer, &offerListener, &self->m_offers[offer]);
    }

    static void onOfferType(void* data, wl_proxy*, const char* mimeType)
    {
        static_cast<Offer*>(data)->types.append(QString::fromUtf8(mimeType));
    }

    static void onSelection(void* data, wl_proxy*, wl_proxy* offer)
    {
        auto* self = static_cast<Worker*>(data);
        if (self->m_selection)
            self->dropOffer(self->m_selection);
        self->m_selection = offer;
        self->m_selectionOwn.reset();
        ++self->m_changeCount;
        std::lock_guard lock(self->m_mutex);
        ++self->m_generation;
    }

    static void onPrimarySelection(void* data, wl_proxy*, wl_proxy* offer)
    {
        if (offer)
            static_cast<Worker*>(data)->dropOffer(offer);
    }

    static void onFinished(void* data, wl_proxy*)
    {
        // The seat went away: nothing more will be offered through this device.
        auto* self = static_cast<Worker*>(data);
        if (self->m_selection)
            self->dropOffer(self->m_selection);
        self->m_selection = nullptr;
        self->m_selectionOwn.reset();
        std::lock_guard lock(self->m_mutex);
        ++self->m_generation;
    }

    void dropOffer(wl_proxy* offer)
    {
        m_protocol->destroyOffer(offer);
        m_offers.erase(offer);
    }

    static void onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd)
    {
        auto* self = static_cast<Worker*>(data);
        const Source* found = self->findSource(source);
        std::optional<QByteArray> bytes = found ? found->content->data(mimeType) : std::nullopt;
        if (!bytes) {
            close(fd);
            return;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        self->m_outgoing.push_back(
            {fd, std::move(*bytes), 0, Clock::now() + std::chrono::milliseconds(transferTimeoutMs)});
    }

    static void onCancelled(void* data, wl_proxy* source)
    {
        auto* self = static_cast<Worker*>(data);
        for (auto it = self->m_sources.begin(); it != self->m_sources.end(); ++it) {
            if (it->second.proxy == source) {
                self->m_protocol->destroySource(source);
                self->m_sources.erase(it);
                return;
            }
        }
    }

    Source* findSource(wl_proxy* proxy)
    {
        for (auto& [id, source] : m_sources) {
            if (source.proxy == proxy)
                return &source;
        }
        return nullptr;
    }

    static void onSyncDone(void* data, wl_callback* callback, uint32_t)
    {
        auto* self = static_cast<Worker*>(data);
        const Sync sync = self->m_syncs.at(callback);
        self->m_syncs.erase(callback);
        wl_callback_destroy(callback);
        // Still the selection: the compositor has announced it by now, as the latest one.
        if (const auto found = self->m_sources.find(sync.source); found != self->m_sources.end())
            self->m_selectionOwn = found->second.content;
        std::lock_guard lock(self->m_mutex);
        self->m_writesDone = std::max(self->m_writesDone, sync.ticket);
        self->m_answered.notify_all();
    }

    static constexpr WaylandDataControl::DeviceListener deviceListener = {onDataOffer, onSelection,
                                                                          onFinished, onPrimarySelection};
    static constexpr WaylandDataControl::OfferListener offerListener = {onOfferType};
    static constexpr WaylandDataControl::SourceListener sourceListener = {onSend, onCancelled};
    static constexpr wl_callback_listener syncListener = {onSyncDone};

    WaylandClipboardService* m_owner;
    int m_wakeFd;
    std::atomic<bool> m_stopping = false;
    std::atomic<quint64> m_changeCount = 1;
    std::thread m_thread;

    // Set up before the thread starts, then the thread's alone.
    wl_display* m_display = nullptr;
    wl_proxy* m_seat = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    const WaylandDataControl* m_protocol = nullptr;
    uint32_t m_managerVersion = 0;
    std::map<wl_proxy*, Offer> m_offers;
    wl_proxy* m_selection = nullptr;
    std::shared_ptr<const OwnContent> m_selectionOwn; // the selection is ours, with this content
    std::map<quint64, Source> m_sources;
    quint64 m_lastSource = 0;
    std::map<wl_callback*, Sync> m_syncs; // answers awaited for the selections set
    std::vector<Outgoing> m_outgoing;

    // Shared with the GUI thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_answered;
    quint64 m_generation = 0; // grows with every selection event
    quint64 m_watch = 0;
    bool m_deliverCurrent = false;
    quint64 m_deliveredGeneration = 0;
    std::vector<Write> m_writes;
    quint64 m_writesAsked = 0;
    quint64 m_writesDone = 0;
    int m_readers = 0; // read() calls waiting
    ClipboardSnapshot m_cached;
    quint64 m_cachedGeneration = quint64(-1);
    bool m_broken = false;
};

WaylandClipboardService::WaylandClipboardService(QObject* parent)
    : QObject(parent), m_worker(std::make_unique<Worker>(this))
{
}

WaylandClipboardService::~WaylandClipboardService() = default;

std::optional<QString> WaylandClipboardService::protocol() const
{
    return m_worker->protocol();
}

quint64 WaylandClipboardService::changeCount() const
{
    return m_worker->changeCount();
}

ClipboardSnapshot WaylandClipboardService::read()
{
    if (!m_worker->protocol())
        return {};
    return m_worker->read();
}

void WaylandClipboardService::watch(SnapshotHandler handler)
{
    m_handler = std::move(handler);
    ++m_watch;
    m_worker->setWatch(m_handler ? m_watch : 0);
}

void WaylandClipboardService::write(const ClipboardContent& content)
{
    setSelection(content, false);
}

void WaylandClipboardService::writePrimarySelection(const ClipboardContent& content)
{
    setSelection(content, true);
}

void WaylandClipboardService::setSelection(const ClipboardContent& content, bool primary)
{
    if (!m_worker->protocol() || m_worker->broken()) {
        // Without data-control the compositor still takes a selection from the focused client.
        writeWithQtClipboard(primary ? QClipboard::Selection : QClipboard::Clipboard, content);
        return;
    }
    if (primary && !m_worker->hasPrimarySelection())
        return;
    m_worker->setSelection(ownContent(content), primary);
}
