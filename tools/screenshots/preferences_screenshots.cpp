// Renders every page of the preferences window to PNG files, for people to look at:
//     ovelin_preferences_screenshots <folder> <en|pt> <light|dark>
// It runs in a throw-away HOME and XDG folders, so the user's settings and history are untouched.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cstdio>

#include "core/AppEnvironment.h"
#include "core/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "platform/fake/FakeCapabilityService.h"
#include "platform/fake/FakeLoginItemService.h"
#include "preferences/PreferencesView.h"
#include "preferences/PreferencesWindowController.h"

namespace {

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x21), text(0xec, 0xec, 0xee);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x7c, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x5a, 0x9c, 0xff));
    palette.setColor(QPalette::PlaceholderText, QColor(0xec, 0xec, 0xee, 0x8c));
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    return palette;
}

bool save(QWidget* window, const QString& path)
{
    QTest::qWait(150); // let switch and fade animations settle
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QApplication::setApplicationName(QStringLiteral("Ovelin"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: %s <folder> <en|pt> <light|dark>\n", argv[0]);
        return 2;
    }
    const QString folder = arguments.at(1);
    const QString language = arguments.at(2);
    const bool dark = arguments.at(3) == u"dark";
    QDir().mkpath(folder);

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());

    Settings::shared().setValue(SettingsKey::selectedLanguage, language);
    Settings::shared().setValue(SettingsKey::appearanceStyle, QStringLiteral("modern"));
    AppEnvironment::shared().reload();
    QTranslator translator;
    if (!translator.load(language == u"pt" ? QStringLiteral(":/i18n/ovelin_pt_BR.qm")
                                           : QStringLiteral(":/i18n/ovelin_en.qm"))) {
        std::fprintf(stderr, "no translation for %s\n", qPrintable(language));
        return 1;
    }
    QApplication::installTranslator(&translator);
    QLocale::setDefault(AppEnvironment::shared().locale());

    ClipboardHistory history(ClipboardStorage::atPath(home.filePath(QStringLiteral("history.json"))));
    FakeLoginItemService loginItems;
    FakeCapabilityService capabilities(true, true);
    PreferencesServices services = PreferencesServices::standard();
    services.loginItems = &loginItems;
    services.capabilities = &capabilities;
    services.registerShortcut = [](const QString&) {};
    services.sendSignal = {};

    PreferencesWindowController controller(history, services);
    controller.showWindow();
    if (!QTest::qWaitForWindowExposed(controller.window()))
        return 1;

    const QString suffix = language + u'-' + arguments.at(3) + u".png";
    bool ok = true;
    for (PreferencesSection section : allPreferencesSections()) {
        controller.view()->setSelectedSection(section);
        ok &= save(controller.window(), folder + u"/preferences-" + sectionName(section) + u'-' + suffix);
    }

    // The permissions page as it looks where the display lacks both capabilities.
    capabilities.setCanSynthesizeInput(false);
    capabilities.setCanMonitorInput(false);
    PreferencesWindowController missing(history, services);
    missing.view()->setSelectedSection(PreferencesSection::Permissions);
    missing.showWindow();
    if (!QTest::qWaitForWindowExposed(missing.window()))
        return 1;
    ok &= save(missing.window(), folder + u"/preferences-permissions-missing-" + suffix);

    // A Wayland compositor without data-control or a way to bind the shortcut (Weston), and the
    // general page's shake switch there.
    using Kind = SessionCapability::Kind;
    capabilities.setSession({{Kind::ClipboardAccess, false, {}},
                             {Kind::Paste, true, {}},
                             {Kind::Shortcut, false, {}},
                             {Kind::Placement, false, {}}},
                            false);
    PreferencesWindowController wayland(history, services);
    wayland.showWindow();
    if (!QTest::qWaitForWindowExposed(wayland.window()))
        return 1;
    for (PreferencesSection section : {PreferencesSection::Permissions, PreferencesSection::General}) {
        wayland.view()->setSelectedSection(section);
        ok &=
            save(wayland.window(), folder + u"/preferences-" + sectionName(section) + u"-wayland-" + suffix);
    }
    return ok ? 0 : 1;
}
