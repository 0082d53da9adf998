#include "platform/x11/X11WindowSystem.h"

#include <QByteArray>
#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display* display()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

Atom atom(Display* dpy, const char* name)
{
    return XInternAtom(dpy, name, False);
}

void sendRootMessage(Display* dpy, Window window, Atom type, long l0, long l1, long l2)
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
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(dpy);
}

} // namespace

void X11WindowSystem::setOnAllDesktops(quint64 window)
{
    Display* dpy = display();
    if (!dpy || window == 0)
        return;
    // Requests to the window manager, which owns both properties of a managed window.
    const Atom sticky = atom(dpy, "_NET_WM_STATE_STICKY");
    sendRootMessage(dpy, static_cast<Window>(window), atom(dpy, "_NET_WM_STATE"), 1 /* add */,
                    static_cast<long>(sticky), 0);
    sendRootMessage(dpy, static_cast<Window>(window), atom(dpy, "_NET_WM_DESKTOP"), 0xFFFFFFFFl, 2, 0);
}

bool X11WindowSystem::hasCompositor() const
{
    Display* dpy = display();
    if (!dpy)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, atom(dpy, name.constData())) != None;
}
