#pragma once

#include <memory>

#include <QObject>
#include <QPointer>

#include "app/StartupServices.h"
#include "preferences/PreferencesSection.h"

class ClipboardHistory;
class ContentView;
class FloatingWindowController;
class PreferencesWindowController;

/// The application's long-lived wiring: owns the history store, the panel's controller and the
/// preferences window's controller for the life of the process, and runs the start-up sequence.
/// GUI thread only.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    /// Creates the history store (which loads the history file).
    explicit AppDelegate(StartupServices services, QObject* parent = nullptr);
    /// With a given history store (tests).
    AppDelegate(StartupServices services, std::unique_ptr<ClipboardHistory> history,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    /// The running delegate, set during start-up; null before that (callers then do nothing).
    static AppDelegate* shared();

    /// The start-up sequence: analytics, "AppLaunched", the updater, the shared reference, the
    /// login item, the panel (shown once), the clipboard monitor (started once), the shortcut,
    /// the shake gesture.
    void applicationDidFinishLaunching();

    /// Opens (or brings forward) the one preferences window.
    void showPreferences();
    /// The same, then switches the window to `section` 0.2 s later.
    void showPreferences(PreferencesSection section);

    /// Start-up step: makes the login item agree with "launchAtLogin".
    void applyLaunchAtLogin();

    ClipboardHistory& history() const { return *m_history; }
    FloatingWindowController* floatingWindowController() const { return m_floatingWindowController.get(); }
    PreferencesWindowController* preferencesWindowController() const
    {
        return m_preferencesWindowController.get();
    }
    ContentView* contentView() const;
    /// The running clipboard monitor; none before launch, or where the clipboard cannot be watched.
    QObject* clipboardMonitor() const { return m_clipboardMonitor.get(); }
    bool launchAtLogin() const;

    /// The "AppLaunched" parameters: each version string, or "unknown" when missing or not text.
    static SignalParameters launchParameters(const QVariantMap& bundleInfo);

private:
    void setupFloatingWindow();
    void startClipboardMonitor();
    void openPreferencesWindow();

    StartupServices m_services;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<QObject> m_clipboardMonitor;
    std::unique_ptr<FloatingWindowController> m_floatingWindowController;
    std::unique_ptr<PreferencesWindowController> m_preferencesWindowController;
    QPointer<ContentView> m_contentView;
};
