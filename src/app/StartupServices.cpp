#include "app/StartupServices.h"

#include "history/ClipboardMonitor.h"
#include "platform/PlatformServices.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XdgAutostartLoginItem.h"
#include "preferences/AppVersion.h"

StartupServices StartupServices::application()
{
    static XdgAutostartLoginItem loginItem;
    static X11WindowSystem windowSystem;
    const PlatformServices& platform = ovelin::x11::platformServices();

    StartupServices services;
    services.initializeAnalytics = [] { Telemetry::initializeAnalytics(); };
    services.sendSignal = [](AppSignal signal, const SignalParameters& parameters) {
        Telemetry::shared().send(signal, parameters);
    };
    // The updater has not landed in this build yet: starting it is a no-op step.
    services.startUpdater = [] {};
    services.loginItem = &loginItem;
    // The global shortcut and the shake gesture are armed here once the activation area lands.
    services.registerShortcut = [](const QString&) {};
    services.startShakeMonitoring = [] {};
    services.startClipboardMonitor = [clipboard = platform.clipboard](ClipboardHistory& history) {
        std::unique_ptr<QObject> none;
        if (!clipboard)
            return none;
        auto monitor = std::make_unique<ClipboardMonitor>(&history, *clipboard);
        monitor->startMonitoring();
        return std::unique_ptr<QObject>(std::move(monitor));
    };
    services.frontmostApplication = platform.frontmostApplication;
    services.windowSystem = &windowSystem;
    services.bundleInfo = mainBundleInfo();
    return services;
}
