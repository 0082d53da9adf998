#include "platform/wayland/SwayIpcClient.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>
#include <unistd.h>

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr qsizetype headerSize = sizeof(magic) + 2 * sizeof(quint32);
// Far above any tree sway sends; a larger length means the stream is out of step.
constexpr quint32 largestPayload = 64u << 20;
// Events of subscriptions carry this bit: they answer no request.
constexpr quint32 eventBit = 0x80000000u;

// XDG_CURRENT_DESKTOP is a list ("sway:wlroots"); the older variables name one desktop.
bool desktopIsSway()
{
    for (const char* variable : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"}) {
        const QStringList names = qEnvironmentVariable(variable).split(u':');
        for (const QString& name : names) {
            if (name.compare(QLatin1String("sway"), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

SwayIpcClient::SwayIpcClient(const QString& socketPath, QObject* parent)
    : QObject(parent), m_socketPath(socketPath)
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &SwayIpcClient::checkTimeout);
    connect(&m_socket, &QLocalSocket::connected, this, &SwayIpcClient::flush);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayIpcClient::readReplies);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &SwayIpcClient::fail);
    connect(&m_socket, &QLocalSocket::disconnected, this, &SwayIpcClient::fail);
}

SwayIpcClient::~SwayIpcClient()
{
    m_socket.disconnect(this);
}

QString SwayIpcClient::socketPathFromEnvironment()
{
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        return info.exists() && !info.isFile() && !info.isDir() ? path : QString();
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !desktopIsSway())
        return {};
    // sway names its socket sway-ipc.<uid>.<pid>.sock; one left behind by a sway that crashed
    // names a process that is gone.
    const QString prefix = QStringLiteral("sway-ipc.%1.").arg(getuid());
    QFileInfo newest;
    const QFileInfoList entries = QDir(runtime).entryInfoList(
        {prefix + QStringLiteral("*.sock")}, QDir::System | QDir::NoDotAndDotDot, QDir::Time);
    for (const QFileInfo& entry : entries) {
        bool number = false;
        const qint64 pid = entry.fileName().mid(prefix.size()).chopped(5).toLongLong(&number);
        if (!number || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
            continue;
        if (entry.isFile() || entry.isDir())
            continue;
        return entry.filePath();
    }
    return {};
}

QByteArray SwayIpcClient::frame(quint32 type, const QByteArray& payload)
{
    QByteArray message(magic, sizeof(magic));
    const quint32 length = quint32(payload.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof(length));
    message.append(reinterpret_cast<const char*>(&type), sizeof(type));
    return message + payload;
}

void SwayIpcClient::send(quint32 type, const QByteArray& payload, ReplyHandler reply)
{
    QElapsedTimer sent;
    sent.start();
    m_pending.push_back({std::move(reply), sent});
    m_outgoing += frame(type, payload);
    m_timer.start();
    ensureConnected();
    flush();
}

void SwayIpcClient::runCommand(const QString& command, CommandHandler done)
{
    send(RunCommand, command.toUtf8(), [done = std::move(done)](const std::optional<QByteArray>& answer) {
        if (!done)
            return;
        if (!answer) {
            done(std::nullopt);
            return;
        }
        QStringList errors;
        const QJsonArray results = QJsonDocument::fromJson(*answer).array();
        for (const QJsonValue& result : results) {
            if (!result.toObject().value(QStringLiteral("success")).toBool())
                errors << result.toObject().value(QStringLiteral("error")).toString();
        }
        if (results.isEmpty())
            errors << QStringLiteral("unreadable answer");
        done(errors);
    });
}

bool SwayIpcClient::runCommandNow(const QString& command)
{
    std::optional<bool> succeeded;
    runCommand(command, [&succeeded](const std::optional<QStringList>& errors) {
        succeeded = errors && errors->isEmpty();
    });
    QElapsedTimer waited;
    waited.start();
    while (!succeeded) {
        const int left = m_timeout - int(waited.elapsed());
        if (left <= 0) {
            // Answers the handler above now, while `succeeded` still exists.
            fail();
            break;
        }
        if (m_socket.state() == QLocalSocket::ConnectingState)
            m_socket.waitForConnected(left);
        else if (m_socket.state() != QLocalSocket::ConnectedState)
            break;
        else if (m_socket.bytesToWrite() > 0)
            m_socket.waitForBytesWritten(left);
        else
            m_socket.waitForReadyRead(left);
    }
    return succeeded.value_or(false);
}

void SwayIpcClient::ensureConnected()
{
    if (m_socket.state() == QLocalSocket::UnconnectedState)
        m_socket.connectToServer(m_socketPath);
}

void SwayIpcClient::flush()
{
    if (m_socket.state() != QLocalSocket::ConnectedState || m_outgoing.isEmpty())
        return;
    m_socket.write(m_outgoing);
    m_outgoing.clear();
}

void SwayIpcClient::readReplies()
{
    m_incoming += m_socket.readAll();
    while (m_incoming.size() >= headerSize) {
        if (std::memcmp(m_incoming.constData(), magic, sizeof(magic)) != 0) {
            fail();
            return;
        }
        quint32 length = 0;
        quint32 type = 0;
        std::memcpy(&length, m_incoming.constData() + sizeof(magic), sizeof(length));
        std::memcpy(&type, m_incoming.constData() + sizeof(magic) + sizeof(length), sizeof(type));
        if (length > largestPayload) {
            fail();
            return;
        }
        if (m_incoming.size() < headerSize + qsizetype(length))
            return;
        const QByteArray payload = m_incoming.mid(headerSize, length);
        m_incoming.remove(0, headerSize + length);
        if ((type & eventBit) != 0) {
            Q_EMIT eventReceived(type, payload);
            continue;
        }
        if (m_pending.empty())
            continue;
        Pending answered = std::move(m_pending.front());
        m_pending.pop_front();
        if (m_pending.empty())
            m_timer.stop();
        if (answered.reply)
            answered.reply(payload);
    }
}

void SwayIpcClient::checkTimeout()
{
    if (!m_pending.empty() && m_pending.front().sent.elapsed() >= m_timeout)
        fail();
}

void SwayIpcClient::fail()
{
    // Whatever was on the way can no longer be matched to its request: start afresh.
    m_timer.stop();
    m_outgoing.clear();
    m_incoming.clear();
    std::deque<Pending> failed;
    failed.swap(m_pending);
    if (m_socket.state() != QLocalSocket::UnconnectedState)
        m_socket.abort();
    for (Pending& request : failed) {
        if (request.reply)
            request.reply(std::nullopt);
    }
}
