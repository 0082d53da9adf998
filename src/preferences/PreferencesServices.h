#pragma once

#include <functional>

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include "telemetry/Telemetry.h"

class AlertPresenter;
class FrontmostApplicationService;
class CapabilityService;
class LoginItemService;

using SignalSender = std::function<void(AppSignal, const SignalParameters&)>;
using UrlOpener = std::function<void(const QUrl&)>;
using ShortcutRegistrar = std::function<void(const QString&)>;

/// What the preferences pages need from outside: the platform's services, the usage-signal
/// layer and the hot key registration. The pointers are not owned; whoever hands them in keeps
/// them alive as long as the preferences window. Tests give fakes.
struct PreferencesServices
{
    LoginItemService* loginItems = nullptr;
    const CapabilityService* capabilities = nullptr;
    AlertPresenter* alerts = nullptr;
    /// Lists the running applications the user can choose to ignore.
    FrontmostApplicationService* applications = nullptr;
    SignalSender sendSignal;
    /// Opens an address: web and mail addresses with the system, the bundled help pages in
    /// Ovelin's own help window.
    UrlOpener openUrl;
    ShortcutRegistrar registerShortcut;
    /// The version strings of the running build ("CFBundleShortVersionString", "CFBundleVersion").
    QVariantMap bundleInfo;

    /// Message boxes, the Telemetry layer and the version strings; the platform's services and
    /// the shortcut registration are the application's to add.
    static PreferencesServices standard();

    void send(AppSignal signal, const SignalParameters& parameters) const;
    void open(const QUrl& url) const;
};

/// Opens web and mail addresses with the desktop, and "qrc:" help pages in the help window.
void openUrlWithSystem(const QUrl& url);
