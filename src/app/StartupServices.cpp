#include "app/StartupServices.h"

#include "activation/HotkeyManager.h"
#include "activation/ShakeGestureDetector.h"
#include "common/Console.h"
#include "core/Settings.h"
#include "history/CaptureGate.h"
#include "history/ClipboardItem.h"
#include "history/ClipboardMonitor.h"
#include "panel/WindowManager.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"
#include "platform/Desktop.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/GlobalMouseMonitor.h"
#include "platform/LoginItemService.h"
#include "platform/PlatformServices.h"
#include "platform/secret/SecretServiceKeyStore.h"
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
        gate.setSensitiveItemMinutes(settings.intValue(SettingsKey::sensitiveItemMinutes));
        gate.setDisabledSensitiveKinds(settings.stringListValue(SettingsKey::disabledSensitiveKinds));
    };
    apply();
    QObject::connect(&settings, &Settings::valueChanged, &gate, [apply](const QString& key) {
        if (key == SettingsKey::ignoredApplications || key == SettingsKey::maxItemSizeMB ||
            key == SettingsKey::sensitiveItemMinutes || key == SettingsKey::disabledSensitiveKinds)
            apply();
    });
}

} // namespace

StartupServices StartupServices::application()
{
    // The one composition root: the session's services are made here, once, and handed on.
    const Desktop::Services& desktop = Desktop::services();
    LoginItemService* loginItem = desktop.loginItem;
    const PlatformServices& platform = desktop.platform;

    StartupServices services;
    services.initializeAnalytics = [] { Telemetry::initializeAnalytics(); };
    services.sendSignal = [](AppSignal signal, const SignalParameters& parameters) {
        Telemetry::shared().send(signal, parameters);
    };
    services.startUpdater = [] { UpdaterManager::shared().start(); };
    services.loginItem = loginItem;
    services.historyKeyStore = [](const QString& historyFile) -> std::unique_ptr<HistoryKeyStore> {
        return std::make_unique<SecretServiceKeyStore>(historyFile);
    };
    // The shortcut and the shake gesture reach the panel through the window manager.
    services.registerShortcut = [shortcuts = desktop.shortcuts](const QString& text) {
        HotkeyManager::shared().setPresenter(&WindowManager::shared());
        HotkeyManager::shared().setShortcutService(shortcuts);
        HotkeyManager::shared().registerShortcut(text);
    };
    services.startShakeMonitoring = [factory = desktop.createMouseMonitor] {
        ShakeGestureDetector::shared().setPresenter(&WindowManager::shared());
        ShakeGestureDetector::shared().setMonitorFactory(factory);
        ShakeGestureDetector::shared().startMonitoring();
    };
    services.startClipboardMonitor = [clipboard = desktop.watchesClipboard ? platform.clipboard : nullptr,
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
    services.itemActions.paste = [](const ClipboardItem& item, PasteTrigger trigger, PasteFormat format) {
        PasteSequence::shared().paste(
            item, trigger == PasteTrigger::RowClick ? PasteOrigin::RowClick : PasteOrigin::Keyboard,
            format == PasteFormat::PlainText);
    };
    services.itemActions.copyToPasteboard = [](const ClipboardItem& item) {
        PasteManager::shared().copyToPasteboard(item);
    };
    services.platform = platform;
    services.frontmostApplication = platform.frontmostApplication;
    services.windowSystem = desktop.windowSystem;
    services.onDisplayLost = desktop.onDisplayLost;
    services.bundleInfo = mainBundleInfo();
    services.preferences = PreferencesServices::standard();
    services.preferences.registerShortcut = [](const QString& text) {
        HotkeyManager::shared().registerShortcut(text);
    };
    services.preferences.loginItems = loginItem;
    services.preferences.capabilities = desktop.capabilities;
    services.preferences.applications = platform.frontmostApplication;
    return services;
}
