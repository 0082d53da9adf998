// Draws the status menu window as the running application shows it, into a PNG, for the
// screenshot script: screenshot_menu <en|pt> <Light|Dark> <output.png> [paused]

#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include "app/OvelinApp.h"
#include "core/AppEnvironment.h"
#include "history/CaptureGate.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"
#include "panel/ThemePalette.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4 && !(args.size() == 5 && args.at(4) == u"paused")) {
        qWarning("usage: screenshot_menu <en|pt> <Light|Dark> <output.png> [paused]");
        return 2;
    }
    const QLocale locale(args.at(1) == u"pt" ? QStringLiteral("pt_BR") : QStringLiteral("en_US"));
    QTranslator translator;
    if (!translator.load(OvelinApp::translationFile(locale)))
        return 1;
    QApplication::installTranslator(&translator);
    QApplication::setPalette(ThemePalette::forTheme(args.at(2) == u"Dark" ? AppTheme::Dark : AppTheme::Light,
                                                    QApplication::palette()));

    // Paused, the menu offers "Resume capture" instead of the pause rows.
    if (args.size() == 5)
        CaptureGate::shared().pause();
    MenuBarWindow window;
    window.popUp(QRect(40, 0, 24, 24), QPoint());
    // The pointer rests on the preferences row, as when a person is about to choose it.
    window.content()->setHoveredButton(MenuBarContent::PreferencesItem);
    QTimer::singleShot(300, &window, [&window, output = args.at(3)] {
        QApplication::exit(window.grab().save(output) ? 0 : 1);
    });
    return QApplication::exec();
}
