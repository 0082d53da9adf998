#pragma once

#include "platform/CapabilityService.h"

/// Capabilities a test sets by hand.
class FakeCapabilityService : public CapabilityService
{
public:
    FakeCapabilityService(bool synthesizeInput = true, bool monitorInput = true);

    bool canSynthesizeInput() const override { return m_synthesizeInput; }
    bool canMonitorInput() const override { return m_monitorInput; }
    void setCanSynthesizeInput(bool available) { m_synthesizeInput = available; }
    void setCanMonitorInput(bool available) { m_monitorInput = available; }
    bool offersGlobalPointer() const override { return m_globalPointer; }
    QList<SessionCapability> sessionCapabilities() const override { return m_session; }
    /// A Wayland-like session: no global pointer and these rows.
    void setSession(QList<SessionCapability> capabilities, bool globalPointer)
    {
        m_session = std::move(capabilities);
        m_globalPointer = globalPointer;
    }

    /// KWin-like: the paste waits for a desktop entry; installDesktopEntry() answers `installs`.
    void setMissesDesktopEntry(bool misses, bool installs)
    {
        m_missesEntry = misses;
        m_installsEntry = installs;
    }
    bool missesDesktopEntry() const override { return m_missesEntry; }
    bool installDesktopEntry(QString* error) const override
    {
        if (!m_installsEntry && error)
            *error = QStringLiteral("disk full");
        return m_installsEntry;
    }

private:
    bool m_missesEntry = false;
    bool m_installsEntry = false;
    bool m_synthesizeInput;
    bool m_monitorInput;
    bool m_globalPointer = true;
    QList<SessionCapability> m_session;
};
