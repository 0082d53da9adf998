#include "platform/gnome/GnomeClipboardService.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

#include <QBuffer>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QPointer>
#include <QThreadPool>

#include "common/Console.h"
#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/QtClipboardWriter.h"
#include "platform/gnome/GnomeShellClient.h"

namespace {

// The extension gives up on an owner that stops sending for five seconds, or after 55 s in all;
// the answer of a 64 MiB read then still travels.
constexpr int readTimeoutMs = 65000;

// The pipe the extension writes one format into, read on a thread of its own while the call that
// asks for it waits: up to one byte over the cap is kept, anything more is read and dropped, so
// the shell never waits on a full pipe.
class PipeReader
{
public:
    PipeReader()
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        m_read = ends[0];
        m_write = ends[1];
        fcntl(m_read, F_SETPIPE_SZ, 1 << 20); // fewer wake-ups for a large answer; best effort
        m_stop = eventfd(0, EFD_CLOEXEC);
        m_thread = std::thread([this] { run(); });
    }
    ~PipeReader()
    {
        finish();
        for (int fd : {m_read, m_write, m_stop})
            if (fd >= 0)
                ::close(fd);
    }
    bool isOpen() const { return m_thread.joinable(); }
    /// The end the extension writes into, given away: this process keeps no copy.
    QDBusUnixFileDescriptor takeWriteEnd()
    {
        QDBusUnixFileDescriptor end(m_write); // a duplicate, closed with the call's message
        ::close(std::exchange(m_write, -1));
        return end;
    }
    /// Once the answer came, all that was written is in the pipe: reads it and stops.
    QByteArray finish()
    {
        if (m_thread.joinable()) {
            const quint64 one = 1;
            [[maybe_unused]] const ssize_t written = ::write(m_stop, &one, sizeof one);
            m_thread.join();
        }
        return m_data;
    }

private:
    void run()
    {
        char buffer[64 * 1024];
        bool stopping = false;
        for (;;) {
            if (!stopping) {
                pollfd fds[] = {{m_read, POLLIN, 0}, {m_stop, POLLIN, 0}};
                if (poll(fds, 2, -1) < 0) {
                    if (errno == EINTR)
                        continue;
                    return;
                }
                if (fds[1].revents) {
                    stopping = true; // from here on, an empty pipe is the end
                    fcntl(m_read, F_SETFL, O_NONBLOCK);
                }
            }
            const ssize_t got = ::read(m_read, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return;
            if (m_data.size() <= ClipboardTransfer::maxFormatBytes)
                m_data.append(buffer, got);
        }
    }

    int m_read = -1, m_write = -1, m_stop = -1;
    QByteArray m_data;
    std::thread m_thread;
};

class ShellTransfer : public ClipboardTransfer
{
public:
    ShellTransfer(GnomeShellClient* shell, quint32 serial, QStringList formats)
        : m_shell(shell), m_serial(serial), m_formats(std::move(formats))
    {
    }

    std::optional<QStringList> formats(Outcome* outcome) override
    {
        *outcome = Outcome::Done;
        return m_formats;
    }

    Result fetch(const QString& format) override
    {
        QString error;
        PipeReader pipe;
        if (!pipe.isOpen())
            return {Outcome::Refused, {}};
        const QDBusMessage reply =
            m_shell->call(QStringLiteral("ReadFormat"),
                          {m_serial, format, QVariant::fromValue(pipe.takeWriteEnd())}, readTimeoutMs, &error);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            QByteArray data = pipe.finish();
            if (data.size() > maxFormatBytes)
                return {Outcome::TooLarge, {}};
            return {Outcome::Done, std::move(data)};
        }
        if (error.contains(QLatin1String("TooLarge")))
            return {Outcome::TooLarge, {}};
        if (error.contains(QLatin1String("TimedOut")) || error.contains(QLatin1String("NoReply")))
            return {Outcome::TimedOut, {}};
        if (error.contains(QLatin1String("Changed")) || error.contains(QLatin1String("Disabled")) ||
            error.contains(QLatin1String("ServiceUnknown")))
            return {Outcome::Interrupted, {}};
        return {Outcome::Refused, {}};
    }

private:
    GnomeShellClient* m_shell;
    quint32 m_serial;
    QStringList m_formats;
};

} // namespace

GnomeClipboardService::GnomeClipboardService(GnomeShellClient* shell, QObject* parent)
    : QObject(parent), m_shell(shell), m_reader(std::make_unique<QThreadPool>())
{
    m_reader->setMaxThreadCount(1);
    connect(m_shell, &GnomeShellClient::stateChanged, this, [this] {
        if (!m_shell->isReady())
            m_known = false; // a shell or extension that comes back counts its changes from one
        else if (m_handler)
            subscribe();
    });
    connect(m_shell, &GnomeShellClient::clipboardChanged, this,
            [this](quint32 serial, const QStringList& formats, const QString& owner, bool concealed) {
                changed({serial, formats, owner, concealed}, true);
            });
}

GnomeClipboardService::~GnomeClipboardService()
{
    m_handler = {};
    m_reader->waitForDone();
}

void GnomeClipboardService::watch(SnapshotHandler handler)
{
    m_handler = std::move(handler);
    ++m_watch;
    m_known = false;
    if (m_handler && m_shell->isReady())
        subscribe();
}

void GnomeClipboardService::subscribe()
{
    QString error;
    const QDBusMessage reply = m_shell->call(QStringLiteral("Subscribe"), {}, 2000, &error);
    const QVariantList values = reply.arguments();
    if (values.size() != 4)
        return; // refused until Ovelin's name is this process's: subscribed again then
    // What the clipboard held when watching (re)began: known, never a new copy.
    changed(
        {values.at(0).toUInt(), values.at(1).toStringList(), values.at(2).toString(), values.at(3).toBool()},
        false);
}

void GnomeClipboardService::changed(const State& state, bool isChange)
{
    // Subscribing announces the current contents to the subscriber as well: counted once.
    if (m_known && state.serial <= m_state.serial)
        return;
    const bool first = !m_known;
    m_known = true;
    m_state = state;
    ++m_changeCount;
    if (!m_handler)
        return;
    const bool reportAsChange = isChange && !first;
    const quint64 watch = m_watch;
    QPointer<GnomeClipboardService> self(this);
    GnomeShellClient* shell = m_shell;
    m_reader->start([self, shell, state, reportAsChange, watch] {
        const ClipboardSnapshot snapshot = snapshotOf(shell, state);
        QMetaObject::invokeMethod(
            self.data(),
            [self, snapshot, reportAsChange, watch] {
                if (self && self->m_handler && self->m_watch == watch)
                    self->m_handler(snapshot, reportAsChange);
            },
            Qt::QueuedConnection);
    });
}

ClipboardSnapshot GnomeClipboardService::snapshotOf(GnomeShellClient* shell, const State& state)
{
    if (state.concealed) {
        ClipboardSnapshot snapshot;
        snapshot.concealed = true;
        return snapshot;
    }
    ShellTransfer transfer(shell, state.serial, state.formats);
    ClipboardSnapshot snapshot = ClipboardSnapshotBuilder::build(transfer);
    if (!state.owner.isEmpty())
        snapshot.ownerApplication = state.owner;
    return snapshot;
}

ClipboardSnapshot GnomeClipboardService::read()
{
    if (!m_shell->isReady() || !m_known)
        return {};
    return snapshotOf(m_shell, m_state);
}

void GnomeClipboardService::write(const ClipboardContent& content)
{
    // Focused, Ovelin may own the clipboard itself and offer every format.
    if (QGuiApplication::focusWindow() || !m_shell->isReady()) {
        writeWithQtClipboard(QClipboard::Clipboard, content);
        return;
    }
    QMap<QString, QByteArray> formats;
    for (const auto& [format, bytes] : content.formats)
        formats.insert(format == QLatin1String("text/plain") ? QStringLiteral("text/plain;charset=utf-8")
                                                             : format,
                       bytes);
    if (content.image) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        content.image->save(&png, "PNG");
        formats.insert(QStringLiteral("image/png"), png.data());
    }
    QString error;
    QDBusArgument argument;
    argument.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QByteArray>());
    for (auto it = formats.cbegin(); it != formats.cend(); ++it) {
        argument.beginMapEntry();
        argument << it.key() << it.value();
        argument.endMapEntry();
    }
    argument.endMap();
    m_shell->call(QStringLiteral("SetClipboard"), {QVariant::fromValue(argument)}, 5000, &error);
    if (!error.isEmpty())
        ovelin::printLine(
            qtTrId("gnome_extension_call_failed_line").arg(QStringLiteral("SetClipboard"), error));
}

void GnomeClipboardService::writePrimarySelection(const ClipboardContent& content)
{
    writeWithQtClipboard(QClipboard::Selection, content);
}
