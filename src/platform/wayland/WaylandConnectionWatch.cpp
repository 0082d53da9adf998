#include "platform/wayland/WaylandConnectionWatch.h"

#include <atomic>
#include <unistd.h>

#include <QtGlobal>

#include "common/Console.h"

namespace ovelin::wayland {

namespace {

std::function<void()>& lostHandler()
{
    static std::function<void()> handler;
    return handler;
}

QtMessageHandler& previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

std::atomic_flag ending = ATOMIC_FLAG_INIT;

// Qt announces the loss with a warning right before it ends the process ("The Wayland connection
// broke…" or "…experienced a fatal error"); that warning is the one moment left to save.
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (previousHandler())
        previousHandler()(type, context, message);
    if (type != QtWarningMsg || !message.startsWith(QLatin1String("The Wayland connection")))
        return;
    if (!lostHandler())
        return;
    // Qt can see the loss on its event thread and on the GUI thread at once, and each ends the
    // process right after its warning: the later one waits here until the first has saved.
    if (ending.test_and_set()) {
        for (;;)
            ::pause();
    }
    lostHandler()();
    ovelin::flushConsole();
    ::_exit(1);
}

} // namespace

void onConnectionLost(std::function<void()> lost)
{
    static const bool installed = [] {
        previousHandler() = qInstallMessageHandler(onMessage);
        return true;
    }();
    Q_UNUSED(installed);
    lostHandler() = std::move(lost);
}

} // namespace ovelin::wayland
