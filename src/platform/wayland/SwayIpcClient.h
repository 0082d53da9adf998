#pragma once

#include <deque>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

/// A client of sway's IPC socket (i3-ipc framing: "i3-ipc", 32-bit payload length, 32-bit message
/// type, both in the machine's byte order, then a JSON payload). Requests are asynchronous on the
/// GUI thread; sway answers them in order. A request not answered within the time-out fails, and so
/// do all behind it. The connection is made on first use and again after a failure.
class SwayIpcClient : public QObject
{
    Q_OBJECT
public:
    enum MessageType : quint32
    {
        RunCommand = 0,
        Subscribe = 2,
        GetTree = 4,
        GetVersion = 7,
        GetConfig = 9,
        GetBindingState = 12
    };
    /// The types of workspace and window events: the event bit and 0 or 3.
    static constexpr quint32 workspaceEvent = 0x80000000u;
    static constexpr quint32 windowEvent = 0x80000003u;
    /// The answer's JSON payload, or none when the socket failed or the time-out passed.
    using ReplyHandler = std::function<void(const std::optional<QByteArray>&)>;
    /// The error of each failed command, in order; empty when all succeeded. None: no answer.
    using CommandHandler = std::function<void(const std::optional<QStringList>& errors)>;

    explicit SwayIpcClient(const QString& socketPath, QObject* parent = nullptr);
    ~SwayIpcClient() override;

    /// $SWAYSOCK when it names a socket. Without it (Ovelin started by a user service or by D-Bus)
    /// and when the desktop is sway: the socket of a running sway in $XDG_RUNTIME_DIR, the newest
    /// when there are several. Else empty.
    static QString socketPathFromEnvironment();
    /// One framed message.
    static QByteArray frame(quint32 type, const QByteArray& payload);

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    QString socketPath() const { return m_socketPath; }

    void send(quint32 type, const QByteArray& payload, ReplyHandler reply = {});
    /// Runs sway commands (";"- or ","-separated, as swaymsg takes them).
    void runCommand(const QString& command, CommandHandler done = {});
    /// Runs sway commands and waits up to the time-out for their answer: only for quitting, when
    /// the event loop will not run again. True when every command succeeded.
    bool runCommandNow(const QString& command);

Q_SIGNALS:
    /// An event of a subscription made with `send(Subscribe, ...)`. A failed connection ends
    /// every subscription.
    void eventReceived(quint32 type, const QByteArray& payload);

private:
    struct Pending
    {
        ReplyHandler reply;
        QElapsedTimer sent;
    };

    void ensureConnected();
    void flush();
    void readReplies();
    void checkTimeout();
    void fail();

    QString m_socketPath;
    QLocalSocket m_socket;
    QByteArray m_outgoing;
    QByteArray m_incoming;
    std::deque<Pending> m_pending;
    QTimer m_timer;
    int m_timeout = 2000;
};
