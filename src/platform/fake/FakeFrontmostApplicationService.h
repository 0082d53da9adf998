#pragma once

#include <QList>

#include "platform/FrontmostApplicationService.h"

/// A frontmost application that tests set, and a record of the windows asked to activate.
class FakeFrontmostApplicationService : public FrontmostApplicationService
{
public:
    std::optional<FrontmostApplication> frontmostApplication() override { return m_frontmost; }
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override { return m_running; }
    void setRunningApplications(QStringList names) { m_running = std::move(names); }

    void setFrontmostApplication(std::optional<FrontmostApplication> app) { m_frontmost = std::move(app); }
    const QList<quint64>& activatedWindows() const { return m_activated; }

private:
    std::optional<FrontmostApplication> m_frontmost;
    QList<quint64> m_activated;
    QStringList m_running;
};
