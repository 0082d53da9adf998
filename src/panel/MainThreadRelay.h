#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include <QObject>

/// Hands results from worker threads back to one QObject's thread. The owner detaches it in
/// its destructor; work that finishes afterwards is dropped instead of touching a dead object.
class MainThreadRelay
{
public:
    explicit MainThreadRelay(QObject* target) : m_target(target) {}

    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_target = nullptr;
    }

    /// Any thread: queues `fn` to run on the target's thread, unless the target is gone.
    void post(std::function<void()> fn)
    {
        std::lock_guard lock(m_mutex);
        if (m_target)
            QMetaObject::invokeMethod(m_target, std::move(fn), Qt::QueuedConnection);
    }

private:
    std::mutex m_mutex;
    QObject* m_target;
};
