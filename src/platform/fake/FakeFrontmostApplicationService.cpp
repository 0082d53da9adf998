#include "platform/fake/FakeFrontmostApplicationService.h"

bool FakeFrontmostApplicationService::activateWindow(quint64 windowId)
{
    m_activated.append(windowId);
    return windowId != 0;
}
