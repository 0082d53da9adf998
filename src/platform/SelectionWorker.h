#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

struct pollfd;

/// The thread a clipboard backend reads and answers the selection on. It waits in one poll() on
/// the backend's descriptors plus a wake-up descriptor that any thread may signal, so that the
/// GUI thread can hand it work or ask it to stop without waiting for the display server.
class SelectionWorker
{
public:
    using Clock = std::chrono::steady_clock;

    SelectionWorker();
    /// Stops the thread and waits for it.
    ~SelectionWorker();
    SelectionWorker(const SelectionWorker&) = delete;
    SelectionWorker& operator=(const SelectionWorker&) = delete;

    /// Runs `body` on a thread of its own, with SIGPIPE blocked there: a reader that goes away
    /// mid-answer costs an EPIPE, not the process.
    void start(std::function<void()> body);
    /// Sets the stop flag, wakes the thread and waits for it to end. Idempotent; fine unstarted.
    void stop();
    /// Any thread: ends the thread's current wait early. The thread then looks at its flags.
    void wake();
    bool stopping() const { return m_stopping; }

    /// Worker thread: waits until one of `fds` has an event (their revents are set), the worker
    /// is woken or stopped, or `deadline` passes (Clock::time_point::max() for none).
    void wait(std::vector<pollfd>& fds, Clock::time_point deadline);

private:
    int m_wakeFd;
    std::atomic<bool> m_stopping = false;
    std::thread m_thread;
};
