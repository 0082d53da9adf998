#include "core/Notifications.h"

Notifications& Notifications::shared()
{
    static Notifications instance;
    return instance;
}
