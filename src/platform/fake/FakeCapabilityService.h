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

private:
    bool m_synthesizeInput;
    bool m_monitorInput;
};
