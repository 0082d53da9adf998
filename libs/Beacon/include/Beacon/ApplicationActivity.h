#pragma once

#include <QObject>

/// The application's activity as the analytics client sees it: whether it is the active
/// (frontmost) application, and when it is about to quit.
///
/// The shared instance follows `QGuiApplication::applicationStateChanged` and
/// `QCoreApplication::aboutToQuit`; tests call the `notify...` operations to play those events.
/// It lives on the main thread for the life of the process (owned by the library).
class ApplicationActivity : public QObject
{
    Q_OBJECT
public:
    static ApplicationActivity& shared();

    bool isActive() const { return m_active; }

    void notifyDidResignActive();
    void notifyWillBecomeActive();
    void notifyWillTerminate();

Q_SIGNALS:
    void didResignActive();
    void willBecomeActive();
    void willTerminate();

private:
    ApplicationActivity();

    bool m_active = true;
};
