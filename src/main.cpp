#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include "Resources.h"
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/InstanceAdaptor.h"
#include "app/InstanceGuard.h"
#include "app/OvelinApp.h"
#include "common/Console.h"
#include "history/CaptureGate.h"
#include "panel/WindowManager.h"
#include "platform/Desktop.h"

namespace {

void write(FILE* stream, const QString& text)
{
    if (text.isEmpty())
        return;
    const QByteArray bytes = (text.endsWith(u'\n') ? text : text + u'\n').toLocal8Bit();
    // After the lines printed while this start waited, not before them.
    ovelin::flushConsole();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The minutes of the last --pause, from this start or over the bus.
int pauseMinutes = 0;

// What a command does in the Ovelin that runs, whether it came with this start or over the bus.
void perform(InstanceCommand command)
{
    const QString source = QStringLiteral("command");
    switch (command) {
    case InstanceCommand::Run:
        return;
    case InstanceCommand::Toggle:
        WindowManager::shared().toggleWindow(source);
        return;
    case InstanceCommand::Show:
        WindowManager::shared().showAtCursor(source);
        return;
    case InstanceCommand::ShowPreferences:
        if (AppDelegate* delegate = AppDelegate::shared())
            delegate->showPreferences();
        return;
    case InstanceCommand::Quit:
        // After the bus has had the answer; quit() runs the same clean-up as the status menu's Quit.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    case InstanceCommand::PauseCapture:
        CaptureGate::shared().pause(pauseMinutes > 0 ? std::optional<int>(pauseMinutes) : std::nullopt);
        return;
    case InstanceCommand::ResumeCapture:
        CaptureGate::shared().resume();
        return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    ovelin::installConsole();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments, QStringLiteral(OVELIN_VERSION));
    if (commandLine.finished) {
        write(commandLine.exitCode == 0 ? stdout : stderr, commandLine.output);
        return commandLine.exitCode;
    }

    DBusInstanceBus bus;
    bus.setPauseMinutes(commandLine.pauseMinutes);
    InstanceGuard guard(InstanceGuard::defaultLockPath(), bus);
    InstanceGuard::Result claim;
    {
        // Talking to the bus needs an application object; a second start needs no display.
        QCoreApplication forwarding(argc, argv);
        claim = guard.claim(commandLine.command);
    }
    if (claim.outcome == InstanceGuard::Outcome::Exit) {
        write(claim.exitCode == 0 ? stdout : stderr, claim.message);
        return claim.exitCode;
    }
    if (claim.outcome == InstanceGuard::Outcome::StartOver) {
        // Qt's session bus connection does not outlive the application object it was made under,
        // so this process cannot become the one that answers on the bus: a fresh one can.
        ::execv("/proc/self/exe", argv);
        write(stderr,
              QStringLiteral("Cannot start Ovelin again: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return 1;
    }

    // Qt reads its platform plugin when the application object is made.
    Desktop::choose();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QApplication::setApplicationName(QStringLiteral("Ovelin"));
    QApplication::setApplicationVersion(QStringLiteral(OVELIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    initOvelinResources();

    OvelinApp ovelin(StartupServices::application());
    ovelin.launch();

    // Both run after the start-up sequence: the panel and the preferences exist by then.
    QObject commands;
    auto* adaptor = new InstanceAdaptor(&commands, perform);
    adaptor->setPauseHandler([](int minutes) { pauseMinutes = minutes; });
    pauseMinutes = commandLine.pauseMinutes;
    QTimer::singleShot(0, &commands, [&commands, command = commandLine.command] {
        // Started by --toggle, the panel that start-up just showed goes to the pointer.
        perform(command == InstanceCommand::Toggle ? InstanceCommand::Show : command);
        InstanceAdaptor::publish(&commands);
    });
    return QApplication::exec();
}
