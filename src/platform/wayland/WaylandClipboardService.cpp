#include "platform/wayland/WaylandClipboardService.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include <QClipboard>

#include <poll.h>

#include "common/Console.h"
#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/QtClipboardWriter.h"
#include "platform/SelectionWorker.h"
#include "platform/wayland/WaylandDataControl.h"
#include "platform/wayland/WaylandOfferReader.h"
#include "platform/wayland/WaylandSelectionSession.h"
#include "platform/wayland/WaylandSourceWriter.h"

std::optional<QString> WaylandClipboardService::dataControlProtocol()
{
    return WaylandSelectionSession::probeProtocol();
}

// The mailbox between the GUI thread and the worker thread, and the worker's loop: it reads the
// selection when the watch or read() wants it, sets the selections asked for, and otherwise
// waits for the compositor.
class WaylandClipboardService::Worker
{
public:
    using Clock = std::chrono::steady_clock;
    using Content = WaylandSourceWriter::Content;

    explicit Worker(WaylandClipboardService* owner)
        : m_owner(owner),
          m_session({[this] { selectionReplaced(true); }, [this] { selectionReplaced(false); }})
    {
        if (!m_session.connect())
            return;
        m_writer = std::make_unique<WaylandSourceWriter>(
            m_session, [this](auto ours, quint64 ticket) { taken(std::move(ours), ticket); });
        m_thread.start([this] { run(); });
    }

    ~Worker()
    {
        // The thread goes first: the writer and the session are its alone until then.
        m_thread.stop();
        m_writer.reset();
    }

    std::optional<QString> protocol() const
    {
        if (!m_session.connected())
            return std::nullopt;
        return QString::fromLatin1(m_session.protocol().globalName());
    }
    bool hasPrimarySelection() const
    {
        return m_session.connected() && m_session.protocol().hasPrimarySelection(m_session.managerVersion());
    }
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
        m_thread.wake();
    }

    // GUI thread: hands the content to the thread and waits until the compositor has taken it,
    // so that what is pasted next is this.
    void setSelection(Content content, bool primary)
    {
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_writesAsked;
        m_writes.push_back({std::move(content), primary, ticket});
        lock.unlock();
        m_thread.wake();
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
        m_thread.wake();
        lock.lock();
        // One transfer already under way may have to end first.
        const bool answered =
            m_answered.wait_for(lock, std::chrono::milliseconds(2 * transferTimeoutMs + 500),
                                [&] { return m_cachedGeneration == m_generation || m_broken; });
        --m_readers;
        return answered && !m_broken ? m_cached : ClipboardSnapshot{};
    }

private:
    struct Write
    {
        Content content;
        bool primary;
        quint64 ticket;
    };

    void run()
    {
        while (!m_thread.stopping() && !m_broken) {
            if (!m_writer->settling() && readWanted()) {
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
            const std::shared_ptr<const Content> own = m_selectionOwn;
            snapshot = WaylandSourceWriter::snapshot(*own);
        } else if (wl_proxy* offer = m_session.selection()) {
            WaylandOfferReader reader(
                m_session, offer, [this](int fd, Clock::time_point deadline) { return pump(fd, deadline); },
                [this, generation] { return m_generation != generation; },
                [this] { return m_thread.stopping() || m_broken; });
            snapshot = ClipboardSnapshotBuilder::build(reader);
            // Replaced before all its formats were asked for: the rest is gone with the offer.
            // The new selection is read next.
            if (reader.gaveUp())
                return;
        }
        if (m_thread.stopping() || m_broken)
            return;
        std::lock_guard lock(m_mutex);
        // A snapshot read to its end is delivered even when the selection changed meanwhile, in
        // order: the next one is read after it. Only the newest is kept for read().
        if (generation == m_generation) {
            m_cached = snapshot;
            m_cachedGeneration = generation;
            m_answered.notify_all();
        }
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

    // Waits until `fd` (when given) is readable, the deadline passed (false), or an event came
    // that the caller looks at. On the way it dispatches the compositor's events, takes the GUI
    // thread's writes and feeds Ovelin's readers.
    bool pump(int fd, Clock::time_point deadline)
    {
        takeWrites();
        std::vector<pollfd> fds;
        if (fd >= 0)
            fds.push_back({fd, POLLIN, 0});
        Clock::time_point until = deadline;
        m_writer->addAnswers(fds, until);
        if (!m_session.wait(m_thread, fds, until)) {
            breakDown();
            return true;
        }
        takeWrites();
        m_writer->feedReaders();
        return fd < 0 || fds[0].revents != 0 || Clock::now() < deadline;
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

    void takeWrites()
    {
        std::vector<Write> writes;
        {
            std::lock_guard lock(m_mutex);
            writes.swap(m_writes);
        }
        for (Write& write : writes)
            m_writer->set(std::move(write.content), write.primary, write.ticket);
    }

    // Events of the worker thread, while the compositor's events are dispatched.

    void selectionReplaced(bool newOwner)
    {
        m_selectionOwn.reset();
        if (newOwner)
            ++m_changeCount;
        std::lock_guard lock(m_mutex);
        ++m_generation;
    }

    void taken(std::shared_ptr<const Content> ours, quint64 ticket)
    {
        if (ours)
            m_selectionOwn = std::move(ours);
        std::lock_guard lock(m_mutex);
        m_writesDone = std::max(m_writesDone, ticket);
        m_answered.notify_all();
    }

    WaylandClipboardService* m_owner;
    std::atomic<quint64> m_changeCount = 1;

    // Set up before the thread starts, then the thread's alone.
    WaylandSelectionSession m_session;
    std::unique_ptr<WaylandSourceWriter> m_writer;
    std::shared_ptr<const Content> m_selectionOwn; // the selection is ours, with this content

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

    SelectionWorker m_thread;
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
    m_worker->setSelection(WaylandSourceWriter::Content::of(content), primary);
}
