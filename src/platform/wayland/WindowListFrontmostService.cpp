#include "platform/wayland/WindowListFrontmostService.h"

#include <algorithm>

#include <QPointer>
#include <QTimer>

struct WindowListFrontmostService::Waiter
{
    QPointer<QObject> context;
    std::function<void()> ready;
    QTimer* deadline;

    // Called from the event loop, not from inside the dispatch of the compositor's events.
    void resume()
    {
        deadline->stop();
        deadline->deleteLater();
        if (context)
            QMetaObject::invokeMethod(context, std::move(ready), Qt::QueuedConnection);
    }
};

WindowListFrontmostService::WindowListFrontmostService(QObject* parent) : QObject(parent) {}

WindowListFrontmostService::~WindowListFrontmostService() = default;

std::optional<FrontmostApplication> WindowListFrontmostService::frontmostApplication()
{
    const ListedWindow* active = activeWindow();
    if (!active || isOwn(*active))
        return std::nullopt;
    FrontmostApplication app;
    app.windowId = active->id;
    if (!active->appId.isEmpty())
        app.identifier = active->appId;
    if (!active->title.isEmpty())
        app.name = active->title;
    if (active->pid > 0)
        app.processIdentifier = active->pid;
    return app;
}

bool WindowListFrontmostService::focusSettled() const
{
    const ListedWindow* active = activeWindow();
    return active && !isOwn(*active) && (m_requestedWindow == 0 || active->id == m_requestedWindow);
}

void WindowListFrontmostService::whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                                                  std::function<void()> ready)
{
    // Without the window list there is no change to wait for.
    if (!isAvailable() || focusSettled()) {
        m_requestedWindow = 0;
        ready();
        return;
    }
    auto waiter = std::make_unique<Waiter>();
    waiter->context = context;
    waiter->ready = std::move(ready);
    waiter->deadline = new QTimer(this);
    waiter->deadline->setSingleShot(true);
    Waiter* raw = waiter.get();
    connect(waiter->deadline, &QTimer::timeout, this, [this, raw] {
        // The compositor did not move the focus in time: paste where it is now.
        m_requestedWindow = 0;
        release(raw);
    });
    waiter->deadline->start(timeout);
    m_waiters.push_back(std::move(waiter));
}

void WindowListFrontmostService::release(Waiter* waiter)
{
    const auto found = std::find_if(m_waiters.begin(), m_waiters.end(),
                                    [waiter](const auto& entry) { return entry.get() == waiter; });
    if (found == m_waiters.end())
        return;
    std::unique_ptr<Waiter> owned = std::move(*found);
    m_waiters.erase(found);
    owned->resume();
}

void WindowListFrontmostService::releaseSettledWaiters()
{
    if (!focusSettled())
        return;
    m_requestedWindow = 0;
    std::vector<std::unique_ptr<Waiter>> settled;
    settled.swap(m_waiters);
    for (const auto& waiter : settled)
        waiter->resume();
}
