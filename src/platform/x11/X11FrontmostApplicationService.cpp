#include "platform/x11/X11FrontmostApplicationService.h"

#include <algorithm>

#include <QByteArray>
#include <QGuiApplication>
#include <QList>
#include <QTimer>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "X11Support/X11Support.h"

namespace {

Atom atom(Display* dpy, const char* name)
{
    return XInternAtom(dpy, name, False);
}

// The raw value of a property, or an empty optional when the window does not have it.
std::optional<QByteArray> property(Display* dpy, Window window, Atom name, Atom type, int* format = nullptr)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(dpy, window, name, 0, 4096, False, type, &actualType, &actualFormat,
                                          &count, &remaining, &data);
    std::optional<QByteArray> result;
    if (status == Success && data && actualType != None && (type == AnyPropertyType || actualType == type)) {
        const qsizetype itemSize = actualFormat == 32 ? qsizetype(sizeof(long)) : actualFormat / 8;
        result = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count) * itemSize);
        if (format)
            *format = actualFormat;
    }
    if (data)
        XFree(data);
    return result;
}

std::optional<unsigned long> cardinalOrWindow(Display* dpy, Window window, Atom name, Atom type)
{
    int format = 0;
    const auto bytes = property(dpy, window, name, type, &format);
    if (!bytes || format != 32 || bytes->size() < qsizetype(sizeof(long)))
        return std::nullopt;
    unsigned long value = 0;
    memcpy(&value, bytes->constData(), sizeof(long));
    return value;
}

std::optional<QString> wmClass(Display* dpy, Window window)
{
    const auto bytes = property(dpy, window, XA_WM_CLASS, XA_STRING);
    if (!bytes)
        return std::nullopt;
    // "instance\0class\0"
    const QList<QByteArray> parts = bytes->split('\0');
    if (parts.size() < 2 || parts.at(1).isEmpty())
        return std::nullopt;
    return QString::fromLatin1(parts.at(1));
}

std::optional<QString> windowName(Display* dpy, Window window)
{
    if (const auto name = property(dpy, window, atom(dpy, "_NET_WM_NAME"), atom(dpy, "UTF8_STRING"));
        name && !name->isEmpty())
        return QString::fromUtf8(*name);
    if (const auto name = property(dpy, window, XA_WM_NAME, AnyPropertyType); name && !name->isEmpty())
        return QString::fromLatin1(*name);
    return std::nullopt;
}

// Without a window manager nobody sets _NET_ACTIVE_WINDOW: take the focus window, or the
// nearest ancestor that carries a WM_CLASS (the focus often sits on a child window).
Window focusedClientWindow(Display* dpy)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    const Window root = DefaultRootWindow(dpy);
    for (Window window = focus; window != None && window != PointerRoot && window != root;) {
        if (property(dpy, window, XA_WM_CLASS, XA_STRING))
            return window;
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(dpy, window, &rootReturn, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        window = parent;
    }
    return None;
}

// The window manager's active window; without a window manager, the focused client window.
Window activeWindow(Display* dpy)
{
    if (const auto active =
            cardinalOrWindow(dpy, DefaultRootWindow(dpy), atom(dpy, "_NET_ACTIVE_WINDOW"), XA_WINDOW))
        return static_cast<Window>(*active);
    return focusedClientWindow(dpy);
}

} // namespace

std::optional<FrontmostApplication> X11FrontmostApplicationService::frontmostApplication()
{
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy)
        return std::nullopt;
    // Windows of other clients may vanish while we look at them.
    X11Support::ErrorTrap trap(dpy);
    const Window window = activeWindow(dpy);
    if (window == None)
        return std::nullopt;

    FrontmostApplication app;
    app.windowId = window;
    app.identifier = wmClass(dpy, window);
    app.name = windowName(dpy, window);
    if (const auto pid = cardinalOrWindow(dpy, window, atom(dpy, "_NET_WM_PID"), XA_CARDINAL))
        app.processIdentifier = static_cast<qint64>(*pid);
    // A window that vanished between the two looks is no frontmost application.
    if (trap.sync() != 0 && !app.identifier && !app.name)
        return std::nullopt;
    return app;
}

bool X11FrontmostApplicationService::activateWindow(quint64 windowId)
{
    m_requestedWindow = 0;
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy || windowId == 0)
        return false;
    X11Support::ErrorTrap trap(dpy);
    const Window root = DefaultRootWindow(dpy);
    const Window window = static_cast<Window>(windowId);
    // The window may have closed since it was recorded.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, window, &attributes) || trap.sync() != 0)
        return false;
    if (cardinalOrWindow(dpy, root, atom(dpy, "_NET_SUPPORTING_WM_CHECK"), XA_WINDOW)) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.send_event = True;
        event.xclient.display = dpy;
        event.xclient.window = window;
        event.xclient.message_type = atom(dpy, "_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        // Source 2 ("pager"): the user asked for it, so focus-stealing prevention lets it through.
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(dpy, window);
        XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
    }
    if (trap.sync() != 0)
        return false;
    // Only a window of another application is waited for before a paste.
    const QWindowList own = QGuiApplication::allWindows();
    if (std::none_of(own.begin(), own.end(), [windowId](const QWindow* window) {
            return window->handle() && window->winId() == windowId;
        })) {
        m_requestedWindow = windowId;
        m_requestedAt.start();
    }
    return true;
}

void X11FrontmostApplicationService::whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                                                      std::function<void()> ready)
{
    // The window manager moves the focus when it gets to the request: on a busy machine that
    // can be after the panel has gone, and keys posted before would reach no one.
    const auto settled = [this, timeout] {
        if (m_requestedWindow == 0 || m_requestedAt.elapsed() >= timeout.count()) {
            m_requestedWindow = 0;
            return true;
        }
        Display* dpy = X11Support::applicationDisplay();
        bool back = !dpy;
        if (dpy) {
            X11Support::ErrorTrap trap(dpy);
            back = activeWindow(dpy) == m_requestedWindow;
        }
        if (back) {
            m_requestedWindow = 0;
            return true;
        }
        return false;
    };
    if (settled()) {
        ready();
        return;
    }
    auto* poll = new QTimer(context);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, settled, ready = std::move(ready)] {
        if (!settled())
            return;
        poll->stop();
        poll->deleteLater();
        ready();
    });
    poll->start();
}

QStringList X11FrontmostApplicationService::runningApplications()
{
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy)
        return {};
    X11Support::ErrorTrap trap(dpy);
    const Window root = DefaultRootWindow(dpy);
    // The window manager's list of client windows; without one, the top-level windows.
    QList<Window> windows;
    int format = 0;
    if (const auto list = property(dpy, root, atom(dpy, "_NET_CLIENT_LIST"), XA_WINDOW, &format);
        list && format == 32) {
        for (qsizetype i = 0; i + qsizetype(sizeof(long)) <= list->size(); i += sizeof(long)) {
            unsigned long value = 0;
            memcpy(&value, list->constData() + i, sizeof(long));
            windows.append(static_cast<Window>(value));
        }
    } else {
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(dpy, root, &rootReturn, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                windows.append(children[i]);
        }
        if (children)
            XFree(children);
    }
    QStringList names;
    for (const Window window : windows) {
        if (const auto name = wmClass(dpy, window); name && !names.contains(*name, Qt::CaseInsensitive))
            names.append(*name);
    }
    trap.sync();
    // Ovelin itself is never the application to ignore.
    names.removeIf([](const QString& name) { return name.compare(u"ovelin", Qt::CaseInsensitive) == 0; });
    names.sort(Qt::CaseInsensitive);
    return names;
}
