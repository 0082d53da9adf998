#include "platform/Desktop.h"

#include <utility>

#include <QCoreApplication>
#include <QTimer>

#include "common/Console.h"
#include "platform/BackendChoice.h"
#include "platform/GlobalMouseMonitor.h"
#include "platform/x11/CanberraSoundPlayer.h"
#include "platform/x11/X11CapabilityService.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XdgAutostartLoginItem.h"
#include "platform/HotKeyShortcutService.h"
#ifdef OVELIN_HAVE_WAYLAND
#include "platform/SessionServices.h"
#include "platform/gnome/GnomePlatform.h"
#include "platform/wayland/WaylandCapabilityService.h"
#include "platform/wayland/WaylandConnectionWatch.h"
#include "platform/wayland/WaylandPlatform.h"
#endif

namespace {

BackendChoice::Backend& chosenBackend()
{
    static BackendChoice::Backend backend =
        BackendChoice::fromEnvironment(QProcessEnvironment::systemEnvironment()).backend;
    return backend;
}

// Set for Qt alone: once it has loaded its plugin, the programs Ovelin starts (a browser for a
// link) get the session's own choice again.
struct PluginForQt
{
    bool set = false;
    bool hadOwn = false;
    QByteArray own;
};

PluginForQt& pluginForQt()
{
    static PluginForQt plugin;
    return plugin;
}

void setPluginForQt(const QByteArray& plugin)
{
    PluginForQt& saved = pluginForQt();
    saved = {true, qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), qgetenv("QT_QPA_PLATFORM")};
    qputenv("QT_QPA_PLATFORM", plugin);
}

void restorePluginAfterQt()
{
    const PluginForQt saved = std::exchange(pluginForQt(), {});
    if (!saved.set)
        return;
    if (saved.hadOwn)
        qputenv("QT_QPA_PLATFORM", saved.own);
    else
        qunsetenv("QT_QPA_PLATFORM");
}

// Sound and the autostart entry work the same under both display servers.
CanberraSoundPlayer& soundPlayer()
{
    static CanberraSoundPlayer sound;
    return sound;
}

// The display-lost hook over a backend's connection watch: `line` printed, then `lost` run.
std::function<void(std::function<void()>)> displayLostHook(void (*watch)(std::function<void()>), QString line)
{
    return [watch, line = std::move(line)](std::function<void()> lost) {
        if (!lost)
            return watch({});
        watch([line, lost = std::move(lost)] {
            ovelin::printLine(line);
            lost();
        });
    };
}

Desktop::Services x11Services()
{
    static X11WindowSystem windowSystem;
    static X11CapabilityService capabilities;
    // Never destroyed: a lost display ends the process through exit(), and a grab released by a
    // static destructor would reach for a connection that is gone. The X server drops the grab
    // with the connection anyway.
    static auto* const shortcuts = new HotKeyShortcutService;
    Desktop::Services services;
    services.platform = ovelin::x11::platformServices();
    services.windowSystem = &windowSystem;
    services.capabilities = &capabilities;
    services.shortcuts = shortcuts;
    services.createMouseMonitor = &createGlobalMouseMonitor;
    services.onDisplayLost = displayLostHook(&ovelin::x11::onConnectionLost,
                                             QStringLiteral("❌ Conexão com o servidor X perdida, encerrando"));
    using Kind = SessionCapability::Kind;
    const bool xtest = capabilities.canSynthesizeInput();
    const bool xinput = capabilities.canMonitorInput();
    ovelin::printLine(CapabilityService::startLine(
        QStringLiteral("X11"),
        {{Kind::Paste, xtest, xtest ? QStringLiteral("via XTEST") : QStringLiteral("sem XTEST")},
         {Kind::PointerMotion, xinput,
          xinput ? QStringLiteral("via XInput 2") : QStringLiteral("sem XInput 2")}}));
    return services;
}

#ifdef OVELIN_HAVE_WAYLAND
// What every Wayland session's services share, with the start line under the session's name.
Desktop::Services sessionServices(const SessionServices& session, const QString& name)
{
    Desktop::Services services;
    services.platform = session.platform;
    services.windowSystem = session.windowSystem;
    services.capabilities = session.capabilities;
    services.shortcuts = session.shortcuts;
    services.watchesClipboard = session.watchesClipboard;
    services.createMouseMonitor = [] { return std::unique_ptr<GlobalMouseMonitor>(); };
    services.onDisplayLost = displayLostHook(
        &ovelin::wayland::onConnectionLost, QStringLiteral("❌ Conexão com o compositor Wayland perdida, encerrando"));
    ovelin::printLine(CapabilityService::startLine(name, session.capabilities->sessionCapabilities()));
    return services;
}

// GNOME's compositor gives clients none of what Ovelin needs: everything goes through the
// Shell extension, which Ovelin follows as it comes and goes.
Desktop::Services gnomeServices()
{
    const ovelin::gnome::Services& gnome = ovelin::gnome::services();
    Desktop::Services services = sessionServices(gnome, QStringLiteral("GNOME (Wayland)"));
    // Said once the language is installed, which comes after the services.
    if (!gnome.extensionReady)
        QTimer::singleShot(0, QCoreApplication::instance(), [] {
            ovelin::printLine(qtTrId("gnome_extension_missing_line")
                                  .arg(QStringLiteral("gnome-extensions enable ovelin@ovelin.app")));
        });
    return services;
}

// GNOME named by the session and either the extension there or, without it, a compositor that
// gives clients no clipboard (Mutter): then Ovelin waits for the extension. A GNOME name leaked
// into another compositor's session keeps that compositor's backend.
bool gnomeShellRuns()
{
    if (!ovelin::gnome::isGnomeDesktop(QProcessEnvironment::systemEnvironment()))
        return false;
    if (ovelin::gnome::extensionAnswers())
        return true;
    const QSet<QString> globals = WaylandCapabilityService::announcedGlobals();
    return !globals.contains(QStringLiteral("ext_data_control_manager_v1")) &&
           !globals.contains(QStringLiteral("zwlr_data_control_manager_v1"));
}

Desktop::Services waylandServices()
{
    const ovelin::wayland::Services& wayland = ovelin::wayland::services();
    Desktop::Services services = sessionServices(wayland, QStringLiteral("Wayland"));
    if (!wayland.watchesClipboard)
        ovelin::printLine(
            QStringLiteral("⚠️ Este compositor não oferece data-control: o Ovelin não consegue "
                           "observar a área de transferência aqui"));
    return services;
}
#endif

} // namespace

void Desktop::choose()
{
    const BackendChoice choice = BackendChoice::fromEnvironment(QProcessEnvironment::systemEnvironment());
    if (!choice.warning.isEmpty())
        ovelin::printLine(choice.warning);
#ifndef OVELIN_HAVE_WAYLAND
    if (choice.backend == BackendChoice::Backend::Wayland) {
        ovelin::printLine(QStringLiteral("⚠️ Este Ovelin foi construído sem Wayland, usando X11"));
        chosenBackend() = BackendChoice::Backend::X11;
        setPluginForQt("xcb");
        return;
    }
#endif
    chosenBackend() = choice.backend;
    if (!choice.qpaPlatform.isEmpty())
        setPluginForQt(choice.qpaPlatform);
}

const Desktop::Services& Desktop::services()
{
    static const Services services = [] {
        restorePluginAfterQt();
        Services made;
#ifdef OVELIN_HAVE_WAYLAND
        if (chosenBackend() == BackendChoice::Backend::X11)
            made = x11Services();
        else if (gnomeShellRuns())
            made = gnomeServices();
        else
            made = waylandServices();
#else
        made = x11Services();
#endif
        if (!made.platform.soundPlayer)
            made.platform.soundPlayer = &soundPlayer();
        static XdgAutostartLoginItem loginItem;
        QString error;
        if (!loginItem.followExecutable(&error))
            ovelin::printLine(QStringLiteral("🚫 Erro ao aplicar login automático: ") + error);
        made.loginItem = &loginItem;
        return made;
    }();
    return services;
}
