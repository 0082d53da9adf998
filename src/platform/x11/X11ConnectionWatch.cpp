#include "platform/x11/X11ConnectionWatch.h"

#include <cstdlib>

#include <QGuiApplication>

#include "platform/DisplayLoss.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace ovelin::x11 {

namespace {

std::function<void()>& lostHandler()
{
    static std::function<void()> handler;
    return handler;
}

int onXlibIOError(Display*)
{
    endAfterDisplayLoss(lostHandler());
}

bool qtConnectionBroken()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    return connection && xcb_connection_has_error(connection);
}

// Qt's X connection reports a broken connection with a warning and exit(1).
void onExit()
{
    if (lostHandler() && qtConnectionBroken())
        endAfterDisplayLoss(lostHandler());
}

} // namespace

void onConnectionLost(std::function<void()> lost)
{
    static const bool installed = [] {
        // The handler exists before the exit hook is registered, so it is destroyed after the
        // hook ran: a static made later would be gone by the time exit() calls the hook.
        lostHandler();
        XSetIOErrorHandler(onXlibIOError);
        std::atexit(onExit);
        return true;
    }();
    Q_UNUSED(installed);
    lostHandler() = std::move(lost);
}

} // namespace ovelin::x11
