#include "platform/SelectionWorker.h"

#include <algorithm>
#include <csignal>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

SelectionWorker::SelectionWorker() : m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

SelectionWorker::~SelectionWorker()
{
    stop();
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void SelectionWorker::start(std::function<void()> body)
{
    m_thread = std::thread([body = std::move(body)] {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        body();
    });
}

void SelectionWorker::stop()
{
    m_stopping = true;
    wake();
    if (m_thread.joinable())
        m_thread.join();
}

void SelectionWorker::wake()
{
    const uint64_t one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
        // Already signalled; the thread also looks at its flags between waits.
    }
}

void SelectionWorker::wait(std::vector<pollfd>& fds, Clock::time_point deadline)
{
    int timeoutMs = -1;
    if (deadline != Clock::time_point::max()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        timeoutMs = static_cast<int>(std::clamp<long long>(left + 1, 0, 60'000));
    }
    fds.push_back({m_wakeFd, POLLIN, 0});
    poll(fds.data(), fds.size(), timeoutMs);
    if (fds.back().revents & POLLIN) {
        uint64_t count;
        if (::read(m_wakeFd, &count, sizeof count) < 0) {
            // Already drained.
        }
    }
    fds.pop_back();
}
