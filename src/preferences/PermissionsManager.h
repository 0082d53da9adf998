#pragma once

#include <QUrl>

#include "preferences/PreferencesServices.h"

/// The help pages that explain how to get a missing capability. Stateless.
class PermissionsManager
{
public:
    /// The bundled help page's section on synthetic input (XTEST).
    static QUrl accessibilitySettingsURL();
    /// The bundled help page's section on watching global input (XInput 2, outside Wayland).
    static QUrl inputMonitoringSettingsURL();

    static void openAccessibilitySettings(const UrlOpener& open);
    static void openInputMonitoringSettings(const UrlOpener& open);
};
