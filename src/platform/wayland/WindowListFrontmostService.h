#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>

#include "platform/FrontmostApplicationService.h"

/// What the frontmost application services built on a compositor's window list share: the
/// record of the active window and the wait until the focus settles on the window asked for.
/// Subclasses keep the list, say which window is active and which are Ovelin's own, and call
/// releaseSettledWaiters() after every change of it. GUI thread only.
class WindowListFrontmostService : public QObject, public FrontmostApplicationService
{
    Q_OBJECT
public:
    ~WindowListFrontmostService() override;

    /// Whether the compositor offers its window list to this process.
    virtual bool isAvailable() const = 0;

    std::optional<FrontmostApplication> frontmostApplication() override;
    void whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                          std::function<void()> ready) override;

protected:
    /// One window of the list as far as the record needs it; an empty field or a pid of 0 is
    /// left out of the record.
    struct ListedWindow
    {
        quint64 id = 0;
        QString appId;
        QString title;
        qint64 pid = 0;
    };

    explicit WindowListFrontmostService(QObject* parent);

    /// The window with the focus, Ovelin's own too; null when there is none.
    virtual const ListedWindow* activeWindow() const = 0;
    virtual bool isOwn(const ListedWindow& window) const = 0;
    /// Whether another application's window has the focus, the one asked for if any.
    virtual bool focusSettled() const;
    bool hasWaiters() const { return !m_waiters.empty(); }
    /// Once the focus settled: forgets the window asked for and calls every waiting `ready`.
    void releaseSettledWaiters();

    // The window activateWindow() asked for, until it has the focus or a wait for it ends.
    quint64 m_requestedWindow = 0;

private:
    struct Waiter;
    void release(Waiter* waiter);

    std::vector<std::unique_ptr<Waiter>> m_waiters;
};
