#include "platform/gnome/GnomePlatform.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include "platform/gnome/GnomeClipboardService.h"
#include "platform/gnome/GnomeShellClient.h"
#include "platform/gnome/GnomeShellServices.h"

namespace ovelin::gnome {

bool isGnomeDesktop(const QProcessEnvironment& environment)
{
    const QStringList desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':');
    for (const QString& desktop : desktops) {
        if (desktop.startsWith(QLatin1String("GNOME"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool extensionAnswers()
{
    const QDBusConnectionInterface* names = QDBusConnection::sessionBus().interface();
    return names && names->isServiceRegistered(QString::fromLatin1(GnomeShellClient::service));
}

namespace {

Services make()
{
    QObject* owner = QCoreApplication::instance();
    auto* shell = new GnomeShellClient(QDBusConnection::sessionBus(), owner);
    static GnomeKeyEventPoster keys(shell);
    static GnomeWindowSystem windowSystem(shell);
    auto* shortcuts = new GnomeShortcutService(shell, owner);
    static GnomeCapabilityService capabilities(shell, shortcuts);

    Services services;
    services.platform = {new GnomeClipboardService(shell, owner),
                         new GnomeFrontmostApplicationService(shell, owner), &keys, nullptr};
    services.shortcuts = shortcuts;
    services.windowSystem = &windowSystem;
    services.capabilities = &capabilities;
    services.extensionReady = shell->isReady();
    return services;
}

} // namespace

const Services& services()
{
    static const Services made = make();
    return made;
}

} // namespace ovelin::gnome
