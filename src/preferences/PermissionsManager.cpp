#include "preferences/PermissionsManager.h"

namespace {

void openIfValid(const QUrl& url, const UrlOpener& open)
{
    if (url.isValid() && open)
        open(url);
}

} // namespace

QUrl PermissionsManager::accessibilitySettingsURL()
{
    return QUrl(QStringLiteral("qrc:/help/permissions.html#accessibility"));
}

QUrl PermissionsManager::inputMonitoringSettingsURL()
{
    return QUrl(QStringLiteral("qrc:/help/permissions.html#input-monitoring"));
}

void PermissionsManager::openAccessibilitySettings(const UrlOpener& open)
{
    openIfValid(accessibilitySettingsURL(), open);
}

void PermissionsManager::openInputMonitoringSettings(const UrlOpener& open)
{
    openIfValid(inputMonitoringSettingsURL(), open);
}
