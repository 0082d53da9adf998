#include "app/StartupServices.h"

#include "activation/HotkeyManager.h"
#include "activation/ShakeGestureDetector.h"
#include "app/Settings.h"
#include "common/Console.h"
#include "history/CaptureGate.h"
#include "history/ClipboardMonitor.h"
#include "panel/WindowManager.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/GlobalMouseMonitor.h"
#include "platform/PlatformServices.h"
#include "platform/x11/X11CapabilityService.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XdgAutostartLoginItem.h"
#include "preferences/AppVersion.h"
#include "preferences/UpdaterManager.h"

namespace {

// The gate follows the settings for the life of the process.
void bindCaptureSettings()
{
    static bool bound = false;
    if (bound)
        return;
    bound = true;
    Settings& settings = Settings::shared();
    CaptureGate& gate = CaptureGate::shared();
    const auto apply = [&settings, &gate] {
        gate.setIgnoredApplications(settings.stringListValue(SettingsKey::ignoredApplications));
        gate.setMaxItemSizeMB(settings.intValue(SettingsKey::maxItemSizeMB));
    };
    apply();
    QObject::connect(&settings, &Settings::valueChanged, &gate, [apply](const QString& key) {
        if (key == SettingsKey::ignoredApplications || key == SettingsKey::maxItemSizeMB)
            apply();
    });
}

} // namespace

StartupServices StartupServices::application()
{
    // The one composition root: every X11 service is made here, once, and handed on.
    static XdgAutostartLoginItem loginItem;
    QString error;
    if (!loginItem.followExecutable(&error))
        ovelin::printLine(QStringLiteral("🚫 Erro ao aplicar login automático: ") + error);
    static X11WindowSystem windowSystem;
    static X11CapabilityService capabilities;
    const PlatformServices& platform = ovelin::x11::platformServices();

    StartupServices services;
    services.initializeAnalytics = [] { Telemetry::initializeAnalytics(); };
    services.sendSignal = [](AppSignal signal, const SignalParameters& parameters) {
        Telemetry::shared().send(signal, parameters);
    };
    services.startUpdater = [] { UpdaterManager::shared().start(); };
    services.loginItem = &loginItem;
    // The shortcut and the shake gesture reach the panel through the window manager.
    services.registerShortcut = [](const QString& text) {
        HotkeyManager::shared().setPresenter(&WindowManager::shared());
        HotkeyManager::shared().registerShortcut(text);
    };
    services.startShakeMonitoring = [] {
        ShakeGestureDetector::shared().setPresenter(&WindowManager::shared());
        ShakeGestureDetector::shared().setMonitorFactory(&createGlobalMouseMonitor);
        ShakeGestureDetector::shared().startMonitoring();
    };
    services.startClipboardMonitor = [clipboard = platform.clipboard,
                                      frontmost = platform.frontmostApplication](ClipboardHistory& history) {
        std::unique_ptr<QObject> none;
        if (!clipboard)
            return none;
        bindCaptureSettings();
        auto monitor = std::make_unique<ClipboardMonitor>(&history, *clipboard);
        if (frontmost) {
            monitor->setFrontmostApplication([frontmost]() -> std::optional<QString> {
                const auto app = frontmost->frontmostApplication();
                return app ? app->identifier : std::nullopt;
            });
        }
        monitor->startMonitoring();
        return std::unique_ptr<QObject>(std::move(monitor));
    };
    services.platform = platform;
    services.frontmostApplication = platform.frontmostApplication;
    services.windowSystem = &windowSystem;
    services.bundleInfo = mainBundleInfo();
    services.preferences = PreferencesServices::standard();
    services.preferences.loginItems = &loginItem;
    services.preferences.capabilities = &capabilities;
    services.preferences.applications = platform.frontmostApplication;
    return services;
}
