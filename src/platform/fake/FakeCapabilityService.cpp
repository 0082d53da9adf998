#include "platform/fake/FakeCapabilityService.h"

FakeCapabilityService::FakeCapabilityService(bool synthesizeInput, bool monitorInput)
    : m_synthesizeInput(synthesizeInput), m_monitorInput(monitorInput)
{
}
