#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QVariantMap>

#include "panel/ItemActions.h"
#include "platform/PlatformServices.h"
#include "preferences/PreferencesServices.h"
#include "telemetry/Telemetry.h"

class ClipboardHistory;
class FrontmostApplicationService;
class HistoryKeyStore;
class LoginItemService;
class WindowSystem;

/// Everything the start-up sequence reaches outside the shell. The
/// running application uses `application()`; tests hand in fakes and record the calls.
/// Pointers are not owned and must outlive the delegate.
struct StartupServices
{
    /// Configures and starts the analytics client.
    std::function<void()> initializeAnalytics;
    std::function<void(AppSignal, const SignalParameters&)> sendSignal;
    /// Starts the updater.
    std::function<void()> startUpdater;
    LoginItemService* loginItem = nullptr;
    /// Registers the stored shortcut text (arming the global shortcut).
    std::function<void(const QString&)> registerShortcut;
    /// Starts watching for the mouse-shake gesture.
    std::function<void()> startShakeMonitoring;
    /// Creates the clipboard monitor for the history, started; the caller keeps it.
    std::function<std::unique_ptr<QObject>(ClipboardHistory&)> startClipboardMonitor;
    /// What a row of the panel's list does: paste through the shared paste sequence, copy again.
    ItemActions itemActions;
    /// What capturing and pasting are built on (the paste engine is given these at launch).
    PlatformServices platform;
    FrontmostApplicationService* frontmostApplication = nullptr;
    WindowSystem* windowSystem = nullptr;
    /// Runs the given function when the display connection is lost, right before the process
    /// ends; an empty function stops watching. None in tests.
    std::function<void(std::function<void()>)> onDisplayLost;
    /// The running build's version strings: "CFBundleShortVersionString" and "CFBundleVersion".
    QVariantMap bundleInfo;
    /// Makes the store of the history file's key for the file at the given path; none in tests
    /// (an encrypted file then stays untouched and the history lives in memory).
    std::function<std::unique_ptr<HistoryKeyStore>(const QString&)> historyKeyStore;
    /// What the preferences window is built on, with the same platform services as above.
    PreferencesServices preferences;

    /// The running application's services on this desktop. Kept for the process.
    static StartupServices application();
};
