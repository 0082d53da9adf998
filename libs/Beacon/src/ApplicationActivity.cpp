#include "Beacon/ApplicationActivity.h"

#include <QCoreApplication>
#include <QGuiApplication>

ApplicationActivity& ApplicationActivity::shared()
{
    static ApplicationActivity* instance = [] {
        auto* activity = new ApplicationActivity;
        if (QCoreApplication::instance())
            activity->moveToThread(QCoreApplication::instance()->thread());
        return activity;
    }();
    return *instance;
}

ApplicationActivity::ApplicationActivity()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                notifyWillBecomeActive();
            else
                notifyDidResignActive();
        });
    }
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &ApplicationActivity::notifyWillTerminate);
}

void ApplicationActivity::notifyDidResignActive()
{
    if (!m_active)
        return;
    m_active = false;
    Q_EMIT didResignActive();
}

void ApplicationActivity::notifyWillBecomeActive()
{
    if (m_active)
        return;
    m_active = true;
    Q_EMIT willBecomeActive();
}

void ApplicationActivity::notifyWillTerminate()
{
    Q_EMIT willTerminate();
}
