#include "platform/x11/X11WindowSystem.h"

#include <QByteArray>
#include <QStringBuilder>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "X11Support/X11Support.h"

namespace {

Atom atom(Display* dpy, const char* name)
{
    return XInternAtom(dpy, name, False);
}

bool sendRootMessage(Display* dpy, Window window, Atom type, long l0, long l1, long l2)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.serial = 0;
    event.xclient.send_event = True;
    event.xclient.display = dpy;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    return XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask,
                      &event) != 0;
}

} // namespace

bool X11WindowSystem::setOnAllDesktops(quint64 window)
{
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy || window == 0)
        return false;
    X11Support::ErrorTrap trap(dpy);
    // Requests to the window manager, which owns both properties of a managed window.
    const Atom sticky = atom(dpy, "_NET_WM_STATE_STICKY");
    const bool sent =
        sendRootMessage(dpy, static_cast<Window>(window), atom(dpy, "_NET_WM_STATE"), 1 /* add */,
                        static_cast<long>(sticky), 0) &&
        sendRootMessage(dpy, static_cast<Window>(window), atom(dpy, "_NET_WM_DESKTOP"), 0xFFFFFFFFl, 2, 0);
    return sent && trap.sync() == 0;
}

bool X11WindowSystem::hasCompositor() const
{
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, atom(dpy, name.constData())) != None;
}
