#include "platform/fake/FakeLoginItemService.h"

bool FakeLoginItemService::isEnabled() const
{
    calls.append(QStringLiteral("isEnabled"));
    return enabled;
}

bool FakeLoginItemService::registerItem(QString* error)
{
    calls.append(QStringLiteral("register"));
    if (failWrites) {
        if (error)
            *error = QStringLiteral("fake register failure");
        return false;
    }
    enabled = true;
    return true;
}

bool FakeLoginItemService::unregisterItem(QString* error)
{
    calls.append(QStringLiteral("unregister"));
    if (failWrites) {
        if (error)
            *error = QStringLiteral("fake unregister failure");
        return false;
    }
    enabled = false;
    return true;
}
