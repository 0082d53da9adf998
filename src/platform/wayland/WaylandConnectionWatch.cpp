#include "platform/wayland/WaylandConnectionWatch.h"

#include <QtGlobal>

#include "platform/DisplayLoss.h"

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

// Qt announces the loss with a warning right before it ends the process ("The Wayland connection
// broke…" or "…experienced a fatal error"); that warning is the one moment left to save. Its event
// thread and the GUI thread may both announce it at once.
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (previousHandler())
        previousHandler()(type, context, message);
    if (type != QtWarningMsg || !message.startsWith(QLatin1String("The Wayland connection")))
        return;
    if (lostHandler())
        endAfterDisplayLoss(lostHandler());
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
