#pragma once

#include <QString>

/// Launching Ovelin at login (on X11: the XDG autostart entry).
class LoginItemService
{
public:
    virtual ~LoginItemService() = default;
    /// True when Ovelin is registered to start at login.
    virtual bool isEnabled() const = 0;
    /// Each returns false and fills `error` with a description on failure.
    virtual bool registerItem(QString* error) = 0;
    virtual bool unregisterItem(QString* error) = 0;
};
