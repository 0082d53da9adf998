#include "Console.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ovelin {

namespace {

// Far more than any burst Ovelin prints; past it a reader that stopped reading costs lines.
constexpr qsizetype backlogLimit = 256 * 1024;
// How long the last lines may hold up the end of the process.
constexpr auto drainTimeout = std::chrono::seconds(2);

// One thread writes both streams, in the order the lines came, so that neither a full pipe nor
// a closed one ever reaches the thread that printed.
class Writer
{
public:
    void enqueue(int fd, QByteArray bytes)
    {
        std::unique_lock lock(m_mutex);
        if (m_gone[fd] || m_queued + bytes.size() > backlogLimit)
            return;
        if (!m_started && !start()) {
            // No thread to hand it to: write it here, as before there was one.
            lock.unlock();
            writeAll(fd, bytes);
            return;
        }
        m_queued += bytes.size();
        m_queue.push_back({fd, std::move(bytes)});
        m_wake.notify_one();
    }

    void drain()
    {
        std::unique_lock lock(m_mutex);
        m_written.wait_for(lock, drainTimeout, [this] { return m_queue.empty() && !m_writing; });
    }

private:
    struct Chunk
    {
        int fd;
        QByteArray bytes;
    };

    bool start()
    {
        try {
            std::thread([this] { run(); }).detach();
        } catch (const std::system_error&) {
            return false;
        }
        m_started = true;
        std::atexit(flushConsole);
        return true;
    }

    void run()
    {
        // A reader that went away must cost an EPIPE here, whatever the process does with SIGPIPE.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_queue.empty(); });
            Chunk chunk = std::move(m_queue.front());
            m_queue.pop_front();
            m_writing = true;
            lock.unlock();
            const bool written = writeAll(chunk.fd, chunk.bytes);
            lock.lock();
            m_writing = false;
            m_queued -= chunk.bytes.size();
            if (!written) {
                m_gone[chunk.fd] = true;
                std::erase_if(m_queue, [&](const Chunk& c) {
                    m_queued -= c.fd == chunk.fd ? c.bytes.size() : 0;
                    return c.fd == chunk.fd;
                });
            }
            if (m_queue.empty())
                m_written.notify_all();
        }
    }

    static bool writeAll(int fd, const QByteArray& bytes)
    {
        const char* data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, data, size_t(left));
            if (n >= 0) {
                data += n;
                left -= n;
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Someone sharing the stream made it non-blocking: wait for room instead.
                pollfd room{fd, POLLOUT, 0};
                ::poll(&room, 1, -1);
            } else if (errno != EINTR) {
                return false;
            }
        }
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::deque<Chunk> m_queue;
    qsizetype m_queued = 0;
    bool m_writing = false;
    bool m_started = false;
    bool m_gone[3] = {};
};

// Never destroyed: its thread may still be in a write when static objects go at exit.
Writer& writer()
{
    static auto* instance = new Writer;
    return *instance;
}

std::mutex consoleMutex;
std::function<void(const QString&)> lineObserver;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // What Qt's own handler writes to standard error, and nothing when the pattern says nothing.
    const QString formatted = qFormatLogMessage(type, context, message);
    if (formatted.isNull())
        return;
    writer().enqueue(STDERR_FILENO, formatted.toLocal8Bit() + '\n');
    if (type == QtFatalMsg)
        flushConsole(); // Qt aborts the process next
}

void onPipeSignal(int)
{
}

} // namespace

void printLine(const QString& line)
{
    std::lock_guard lock(consoleMutex);
    writer().enqueue(STDOUT_FILENO, line.toUtf8() + '\n');
    if (lineObserver)
        lineObserver(line);
}

void installConsole()
{
    // A handler rather than SIG_IGN: the programs Ovelin starts get the default back at exec.
    struct sigaction action
    {
    };
    action.sa_handler = onPipeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &action, nullptr);
    qInstallMessageHandler(onQtMessage);
}

void flushConsole()
{
    writer().drain();
}

void setLineObserverForTesting(std::function<void(const QString&)> observer)
{
    std::lock_guard lock(consoleMutex);
    lineObserver = std::move(observer);
}

} // namespace ovelin
