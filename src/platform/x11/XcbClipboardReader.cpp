#include "platform/x11/XcbClipboardReader.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <QHash>

#include <poll.h>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include "common/Console.h"
#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/SelectionWorker.h"

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, FreeDeleter>;
using EventPtr = XcbPtr<xcb_generic_event_t>;

enum class Wait
{
    Got,
    TimedOut,
    Interrupted
};

} // namespace

class XcbClipboardReader::Worker
{
public:
    explicit Worker(XcbClipboardReader* owner) : m_owner(owner)
    {
        m_thread.start([this] { run(); });
    }

    ~Worker()
    {
        m_thread.stop();
        if (m_conn)
            xcb_disconnect(m_conn);
    }

    // One snapshot's transfers, all with the time stamp of the ownership being read.
    class Transfer : public ClipboardTransfer
    {
    public:
        Transfer(Worker& worker, xcb_timestamp_t time) : m_worker(worker), m_time(time) {}

        std::optional<QStringList> formats(Outcome* outcome) override
        {
            Result result = m_worker.convert(m_worker.m_targets, m_time);
            *outcome = result.outcome;
            if (result.outcome != Outcome::Done)
                return std::nullopt;
            return m_worker.wantedAmong(result.bytes);
        }

        Result fetch(const QString& format) override
        {
            return m_worker.convert(m_worker.atom(format.toLatin1()), m_time);
        }

    private:
        Worker& m_worker;
        xcb_timestamp_t m_time;
    };

private:
    void run()
    {
        if (!setUp())
            return;
        readAndDeliver(false, XCB_CURRENT_TIME);
        while (!m_thread.stopping()) {
            Wait result;
            waitFor([](const xcb_generic_event_t*) { return false; }, Clock::time_point::max(), &result);
            if (m_thread.stopping() || xcb_connection_has_error(m_conn))
                break;
            readAndDeliver(true, m_ownerTime);
        }
    }

    bool setUp()
    {
        int screenNumber = 0;
        m_conn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_conn)) {
            ovelin::printLine(
                QStringLiteral("❌ Sem conexão com o servidor X para ler a área de transferência"));
            return false;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_conn));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_conn, &xcb_xfixes_id);
        if (!screens.rem || !xfixes || !xfixes->present) {
            ovelin::printLine(
                QStringLiteral("❌ O servidor X não anuncia mudanças da área de transferência (XFIXES)"));
            return false;
        }
        m_xfixesEvent = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        free(xcb_xfixes_query_version_reply(m_conn, xcb_xfixes_query_version(m_conn, 5, 0), nullptr));

        m_window = xcb_generate_id(m_conn);
        const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_window, screens.data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
        m_clipboard = atom("CLIPBOARD");
        m_clientList = atom("_NET_CLIENT_LIST");
        m_root = screens.data->root;
        m_targets = atom("TARGETS");
        m_incr = atom("INCR");
        m_property = atom("OVELIN_CLIPBOARD");
        internWantedFormats();
        xcb_xfixes_select_selection_input(m_conn, m_window, m_clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_conn);
        return true;
    }

    // Reads until a snapshot was taken from one owner without interruption. When the owner
    // changes mid-read the half-read contents are gone anyway: the new owner is read instead.
    void readAndDeliver(bool changed, xcb_timestamp_t time)
    {
        for (;;) {
            m_ownerChanged = false;
            m_interrupted = false;
            std::optional<QString> application = ownerApplication();
            Transfer transfer(*this, time);
            ClipboardSnapshot snapshot = ClipboardSnapshotBuilder::build(transfer);
            snapshot.ownerApplication = std::move(application);
            if (m_thread.stopping() || xcb_connection_has_error(m_conn))
                return;
            if (!m_interrupted)
                deliver(std::move(snapshot), changed);
            if (!m_ownerChanged)
                return;
            changed = true;
            time = m_ownerTime;
        }
    }

    // The class part of WM_CLASS ("instance\0class\0").
    std::optional<QString> wmClass(xcb_window_t window)
    {
        XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
            nullptr));
        if (!reply || reply->format != 8)
            return std::nullopt;
        const QByteArray bytes(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               xcb_get_property_value_length(reply.get()));
        const QList<QByteArray> parts = bytes.split('\0');
        if (parts.size() < 2 || parts.at(1).isEmpty())
            return std::nullopt;
        return QString::fromLocal8Bit(parts.at(1));
    }

    // The owner's application. Toolkits own the selection with a hidden window without a class,
    // so when it has none, the class of a top-level window made by the same X client (the same
    // resource id base) is taken. A few round trips.
    std::optional<QString> ownerApplication()
    {
        XcbPtr<xcb_get_selection_owner_reply_t> reply(
            xcb_get_selection_owner_reply(m_conn, xcb_get_selection_owner(m_conn, m_clipboard), nullptr));
        if (!reply || reply->owner == XCB_WINDOW_NONE || reply->owner == m_window)
            return std::nullopt;
        const xcb_window_t owner = reply->owner;
        if (auto name = wmClass(owner))
            return name;
        const uint32_t mask = xcb_get_setup(m_conn)->resource_id_mask;
        for (const xcb_window_t window : topLevelWindows()) {
            if ((window & ~mask) == (owner & ~mask)) {
                if (auto name = wmClass(window))
                    return name;
            }
        }
        return std::nullopt;
    }

    // The window manager's client windows, else (without one) the root's children.
    QList<xcb_window_t> topLevelWindows()
    {
        QList<xcb_window_t> windows;
        XcbPtr<xcb_get_property_reply_t> list(xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, m_root, m_clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr));
        if (list && list->format == 32 && xcb_get_property_value_length(list.get()) > 0) {
            const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
            for (int i = 0; i < xcb_get_property_value_length(list.get()) / 4; ++i)
                windows.append(ids[i]);
            return windows;
        }
        XcbPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, m_root), nullptr));
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
                windows.append(children[i]);
        }
        return windows;
    }

    void deliver(ClipboardSnapshot snapshot, bool changed)
    {
        XcbClipboardReader* owner = m_owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, snapshot = std::move(snapshot), changed] {
                if (owner->m_handler)
                    owner->m_handler(snapshot, changed);
            },
            Qt::QueuedConnection);
    }

    // Waits for an event that `accept` takes. Announcements of a new owner are noted on the way
    // and end the wait, as do the deadline, a stop and a broken connection.
    EventPtr waitFor(const std::function<bool(const xcb_generic_event_t*)>& accept,
                     Clock::time_point deadline, Wait* result)
    {
        for (;;) {
            while (xcb_generic_event_t* raw = xcb_poll_for_event(m_conn)) {
                EventPtr event(raw);
                if ((event->response_type & 0x7f) == m_xfixesEvent) {
                    m_ownerChanged = true;
                    m_ownerTime = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(raw)
                                      ->selection_timestamp;
                } else if (accept(raw)) {
                    *result = Wait::Got;
                    return event;
                }
            }
            if (m_ownerChanged || m_thread.stopping() || xcb_connection_has_error(m_conn)) {
                *result = Wait::Interrupted;
                return nullptr;
            }
            if (deadline != Clock::time_point::max() && Clock::now() >= deadline) {
                *result = Wait::TimedOut;
                return nullptr;
            }
            std::vector<pollfd> fds{{xcb_get_file_descriptor(m_conn), POLLIN, 0}};
            m_thread.wait(fds, deadline);
        }
    }

    Clock::time_point transferDeadline() const
    {
        return Clock::now() + std::chrono::milliseconds(XcbClipboardReader::transferTimeoutMs);
    }

    ClipboardTransfer::Result convert(xcb_atom_t target, xcb_timestamp_t time)
    {
        using Outcome = ClipboardTransfer::Outcome;
        xcb_delete_property(m_conn, m_window, m_property);
        xcb_convert_selection(m_conn, m_window, m_clipboard, target, m_property, time);
        xcb_flush(m_conn);
        Wait wait;
        const EventPtr event = waitFor(
            // Answers to requests of an interrupted read may still come in: only the answer for
            // this target, into this read's property, counts.
            [this, target](const xcb_generic_event_t* e) {
                if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                    return false;
                const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
                return notify->requestor == m_window && notify->selection == m_clipboard &&
                       notify->target == target &&
                       (notify->property == m_property || notify->property == XCB_NONE);
            },
            transferDeadline(), &wait);
        if (!event)
            return {failed(wait), {}};
        if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE)
            return {Outcome::Refused, {}};

        const XcbPtr<xcb_get_property_reply_t> reply(readProperty());
        if (!reply)
            return {Outcome::Interrupted, {}};
        if (reply->type == m_incr)
            return incremental();
        const int length = xcb_get_property_value_length(reply.get());
        if (reply->bytes_after > 0 || length > ClipboardTransfer::maxFormatBytes) {
            xcb_delete_property(m_conn, m_window, m_property);
            return {Outcome::TooLarge, {}};
        }
        return {Outcome::Done,
                QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length)};
    }

    // The owner sends the data in chunks, each once the previous one was taken (deleted). Its
    // announced size is only a lower bound and is not trusted.
    ClipboardTransfer::Result incremental()
    {
        using Outcome = ClipboardTransfer::Outcome;
        QByteArray data;
        for (;;) {
            Wait wait;
            const EventPtr event = waitFor(
                [this](const xcb_generic_event_t* e) {
                    if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                        return false;
                    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                    return notify->window == m_window && notify->atom == m_property &&
                           notify->state == XCB_PROPERTY_NEW_VALUE;
                },
                transferDeadline(), &wait);
            if (!event)
                return {failed(wait), {}};
            const XcbPtr<xcb_get_property_reply_t> reply(readProperty());
            if (!reply)
                return {Outcome::Interrupted, {}};
            const int length = xcb_get_property_value_length(reply.get());
            if (length == 0 && reply->bytes_after == 0)
                return {Outcome::Done, std::move(data)};
            if (reply->bytes_after > 0 || data.size() + length > ClipboardTransfer::maxFormatBytes) {
                abandonProperty();
                return {Outcome::TooLarge, {}};
            }
            data.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
        }
    }

    // Takes (and so deletes) the property's value, up to one byte past the cap.
    xcb_get_property_reply_t* readProperty()
    {
        const auto words = static_cast<uint32_t>(ClipboardTransfer::maxFormatBytes / 4 + 1);
        return xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, words),
            nullptr);
    }

    ClipboardTransfer::Outcome failed(Wait wait)
    {
        if (m_ownerChanged || m_thread.stopping())
            m_interrupted = true;
        // The owner may still answer the request just given up: into a property no longer read.
        abandonProperty();
        return wait == Wait::TimedOut ? ClipboardTransfer::Outcome::TimedOut
                                      : ClipboardTransfer::Outcome::Interrupted;
    }

    // An owner left mid-transfer may still write chunks: later transfers use another property so
    // those chunks cannot mix into them. A few properties in turn are enough (atoms live as long
    // as the server).
    void abandonProperty()
    {
        xcb_delete_property(m_conn, m_window, m_property);
        m_abandoned = (m_abandoned + 1) % 8;
        m_property = atom("OVELIN_CLIPBOARD_" + QByteArray::number(m_abandoned));
    }

    xcb_atom_t atom(const QByteArray& name)
    {
        if (const auto found = m_atoms.constFind(name); found != m_atoms.cend())
            return *found;
        const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_conn, xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr));
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        if (value != XCB_ATOM_NONE)
            m_atoms.insert(name, value);
        return value;
    }

    // The formats a snapshot may use, interned once, all in one round trip.
    void internWantedFormats()
    {
        const QStringList& wanted = ClipboardSnapshotBuilder::wantedFormats();
        QList<xcb_intern_atom_cookie_t> cookies;
        for (const QString& format : wanted) {
            const QByteArray name = format.toLatin1();
            cookies.append(xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(name.size()), name.constData()));
        }
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            const XcbPtr<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(m_conn, cookies.at(i), nullptr));
            if (!reply || reply->atom == XCB_ATOM_NONE)
                continue;
            m_atoms.insert(wanted.at(i).toLatin1(), reply->atom);
            m_wanted.insert(reply->atom, wanted.at(i));
        }
    }

    // The wanted formats among the offered ones, compared as atoms: asking the server for the
    // name of every offered atom would cost a request each, and an owner may offer millions.
    QStringList wantedAmong(const QByteArray& targets)
    {
        const qsizetype offered = targets.size() / qsizetype(sizeof(xcb_atom_t));
        const qsizetype looked = std::min<qsizetype>(offered, ClipboardTransfer::maxFormats);
        if (looked < offered) {
            ovelin::printLine(
                QStringLiteral("⚠️ A aplicação dona da área de transferência oferece %1 "
                               "formatos: só os primeiros %2 foram considerados")
                    .arg(offered)
                    .arg(looked));
        }
        QStringList names;
        for (qsizetype i = 0; i < looked; ++i) {
            xcb_atom_t target;
            std::memcpy(&target, targets.constData() + i * qsizetype(sizeof target), sizeof target);
            const auto found = m_wanted.constFind(target);
            if (found != m_wanted.cend() && !names.contains(*found))
                names.append(*found);
        }
        return names;
    }

    XcbClipboardReader* m_owner;

    // Worker thread only, from here on.
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_window = XCB_NONE;
    int m_xfixesEvent = 0;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_clientList = XCB_ATOM_NONE;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
    int m_abandoned = 0;
    bool m_ownerChanged = false;
    bool m_interrupted = false;
    xcb_timestamp_t m_ownerTime = XCB_CURRENT_TIME;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    QHash<xcb_atom_t, QString> m_wanted;

    SelectionWorker m_thread; // last: its thread ends before anything it uses goes
};

XcbClipboardReader::XcbClipboardReader(ClipboardService::SnapshotHandler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_worker(std::make_unique<Worker>(this))
{
}

XcbClipboardReader::~XcbClipboardReader()
{
    m_worker.reset();
}
